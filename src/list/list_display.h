#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "list/download_list.h"
#include "platform/dialogs.h"
#include "platform/display_copy.h"
#include "platform/event_loop.h"
#include "platform/grid.h"

namespace reelcatch {

// The download list as the grid shows it: owns the display copy the grid is
// bound to, rebuilds it on every visible change, formats the grid, and runs
// the list commands that work through the grid's rows and selection. It is
// the grid's event handler (layout, and the in-place rename of a file).
class ListDisplay : public GridEvents {
 public:
  ListDisplay(DownloadList& list, Grid& grid, EventLoop& loop, Dialogs& dialogs);
  ~ListDisplay() override;
  ListDisplay(const ListDisplay&) = delete;
  ListDisplay& operator=(const ListDisplay&) = delete;

  // Rebuilds the display copy and rebinds the grid. False when it did
  // nothing (a rebuild is already running, or the list is empty) or failed.
  bool FillDownloadList();
  // The same, from scratch, also when nothing changed: after a command the
  // rows are bound anew, so nothing stays selected.
  bool RebuildDownloadList();
  bool FormatDownloadGrid(bool bInit = false);
  void ShowDownloadGrid();
  void HideDownloadGrid();

  // Finds the grid row that shows the item with this key (none for 0). By
  // key, not by ID: the rows bound may be older than the last edit. The
  // hint, the row where it likely is, makes the usual case cheap.
  void LocateCurrentRow(uint64_t key, int hint = -1);
  std::optional<int> CurrentRow() const { return currentRow_; }
  // Scrolls the current row into view (see Grid::ShowRow).
  void ShowCurrentRow(bool evenIfScrolled);
  // Writes a status straight into the current row's Status cell, if any.
  void WriteCurrentRowStatus(const std::string& status);

  // The list commands.
  void SelectAllItems();
  void RemoveSelected();
  void MoveSelectedUp();
  void MoveSelectedDown();
  void ClearCompleted();
  // Every failed item waits again: its size is to be asked anew, and its
  // name is kept unless it only tells the failure.
  void RetryFailed();
  // The same for the items at these positions that failed or were stopped.
  void RetryItems(const std::vector<int>& positions);
  // The positions of the items whose rows are selected or hold a selected
  // cell, in list order; the selection stays as it is.
  std::vector<int> ChosenPositions() const;

  // Asked before a finished item takes a new name, with the cleaned name:
  // empty when the rename may go on (its file was renamed too), else why
  // not, which the user is told while the old name stays.
  using FileRenamer = std::function<std::string(const DownloadItem& item, const std::string& name)>;
  void SetFileRenamer(FileRenamer renamer) { fileRenamer_ = std::move(renamer); }

  // How much rebuild work runs between two turns of the event loop.
  void SetYieldSlice(std::chrono::microseconds slice) { yieldSlice_ = slice; }

  bool FillBusy() const { return fillBusy_; }
  bool GridFormatted() const { return gridFormatted_; }
  void SetGridFormatted(bool formatted) { gridFormatted_ = formatted; }
  const std::string& PendingFileName() const { return pendingFileName_; }
  std::shared_ptr<const DisplayCopy> Copy() const { return copy_; }

  // GridEvents.
  void InitializeLayout() override;
  void BeforeCellUpdate(GridCellRef cell, const std::string& newValue, bool& cancel) override;
  void AfterCellUpdate(GridCellRef cell) override;

 private:
  bool FillOnce();
  bool CanPatch() const;
  void PatchCopy();
  static void CopyItem(const DownloadItem& item, DisplayRow& row);
  std::shared_ptr<DisplayCopy> BuildCopy();
  void ReportFillError(std::exception_ptr error);
  void BindCopy();
  void RunStep(const std::function<void()>& step);
  void FormatColumns();
  void FormatLook();
  // The list's ID of the item shown in this row, none when the row's ID
  // text is unreadable or the item is gone.
  std::optional<int16_t> ItemIdOfRow(int row) const;
  void RemoveRowsWhere(const std::function<bool(int row)>& test);
  void MoveSelected(bool up);
  // Refuses (cancel) a finished item's new name that its file cannot take.
  void RenameFinishedFile(int row, const std::string& name, bool& cancel);

  DownloadList& list_;
  Grid& grid_;
  EventLoop& loop_;
  Dialogs& dialogs_;
  std::shared_ptr<DisplayCopy> copy_;
  // The copy the grid was last bound to; row numbers refer to it.
  std::shared_ptr<DisplayCopy> boundCopy_;
  // A copy no longer shown, whose memory the next rebuild reuses.
  std::shared_ptr<DisplayCopy> spare_;
  std::chrono::microseconds yieldSlice_ = std::chrono::milliseconds(4);
  std::optional<int> currentRow_;
  // Rows whose cells were written by the grid or by us, not from the list.
  std::vector<int> staleRows_;
  bool fillBusy_ = false;
  bool refillRequested_ = false;
  bool rebuildWanted_ = false;
  bool gridFormatted_ = false;
  bool updatingCell_ = false;
  std::string pendingFileName_;
  FileRenamer fileRenamer_;
};

}  // namespace reelcatch
