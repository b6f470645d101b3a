#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/grid.h"

namespace reelcatch {

// A grid that lives in memory only: the terminal front end shows its rows
// itself, and the tests drive it like a user would. It is bound to a display
// copy and reads and writes the copy's cells; row flags and the ordered cell
// selection are kept apart, as the list commands read both. Every layout
// setting is recorded and can be read back.
class MemoryGrid : public Grid {
 public:
  struct ColumnLayout {
    std::string caption;
    int width = kDefaultColumnWidth;
    ColumnEdit edit = ColumnEdit::Editable;
    friend bool operator==(const ColumnLayout&, const ColumnLayout&) = default;
  };
  struct ColumnRules {
    bool allowMove = true, allowSwap = true, allowSize = true;
    friend bool operator==(const ColumnRules&, const ColumnRules&) = default;
  };
  struct Geometry {
    int left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const Geometry&, const Geometry&) = default;
  };

  static constexpr int kDefaultColumnWidth = 1440;

  MemoryGrid();

  // Grid.
  void SetEvents(GridEvents* events) override { events_ = events; }
  void SetGeometry(int left, int top, int width, int height) override;
  void SetVisible(bool visible) override { visible_ = visible; }
  void BringToFront() override { inFront_ = true; }
  bool HasFocus() const override { return focus_; }
  void SetDataSource(std::shared_ptr<DisplayCopy> copy) override;
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  void SetColumnEdit(int column, ColumnEdit edit) override;
  void SetColumnCaption(int column, const std::string& caption) override;
  void SetColumnWidth(int column, int twips) override;
  void SetColumnRules(bool allowMove, bool allowSwap, bool allowSize) override;
  void SetColors(const GridColors& colors) override { colors_ = colors; }
  void SetRowSelectors(bool on) override { rowSelectors_ = on; }
  void SetExtendedCellSelection() override { extendedCellSelection_ = true; }
  int RowCount() const override;
  std::string CellText(int row, int column) const override;
  // A program write: stores the text without asking whether the column is
  // editable. Raises the update events only when told to (see below).
  void SetCellText(int row, int column, const std::string& text) override;
  bool IsRowSelected(int row) const override;
  void SetRowSelected(int row, bool selected) override;
  std::vector<GridCellRef> SelectedCells() const override { return selectedCells_; }
  bool IsCellSelected(GridCellRef cell) const override;
  void SelectCell(GridCellRef cell) override;
  void ScrollRows(int action) override;

  // A user's edit of one cell: refused (false) for a column that is not
  // editable or a cell outside the rows, or when the before-update handler
  // cancels it. Otherwise the value is stored and the after-update handler runs.
  bool EditCell(int row, int column, const std::string& value);
  // Some grids raise the update events for program writes too.
  void SetRaiseEventsOnProgramWrites(bool raise) { raiseOnProgramWrites_ = raise; }
  void ClearSelection();
  void SetFocus(bool focus) { focus_ = focus; }

  std::shared_ptr<DisplayCopy> DataSource() const { return copy_; }
  const Geometry& GetGeometry() const { return geometry_; }
  bool Visible() const { return visible_; }
  bool InFront() const { return inFront_; }
  const std::string& Caption() const { return caption_; }
  const ColumnLayout& Column(int column) const;
  const ColumnRules& Rules() const { return rules_; }
  const GridColors& Colors() const { return colors_; }
  bool RowSelectors() const { return rowSelectors_; }
  bool ExtendedCellSelection() const { return extendedCellSelection_; }
  // Index of the first row in view.
  int ScrollTop() const { return scrollTop_; }
  // How many times a data source (or none) was handed over.
  int BindCount() const { return bindCount_; }

 private:
  static std::array<ColumnLayout, kGridColumnCount> DefaultColumns();
  DisplayRow& RowAt(int row);
  const DisplayRow& RowAt(int row) const;
  ColumnLayout& ColumnAt(int column);
  bool ValidCell(GridCellRef cell) const;
  bool StoreWithEvents(int row, int column, const std::string& value);
  void Store(int row, int column, const std::string& value);

  GridEvents* events_ = nullptr;
  std::shared_ptr<DisplayCopy> copy_;
  std::array<ColumnLayout, kGridColumnCount> columns_;
  std::vector<bool> rowSelected_;
  std::vector<GridCellRef> selectedCells_;
  Geometry geometry_;
  ColumnRules rules_;
  GridColors colors_;
  std::string caption_;
  int scrollTop_ = 0;
  int bindCount_ = 0;
  bool visible_ = false;
  bool inFront_ = false;
  bool focus_ = false;
  bool rowSelectors_ = true;
  bool extendedCellSelection_ = false;
  bool raiseOnProgramWrites_ = false;
};

}  // namespace reelcatch
