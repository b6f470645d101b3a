#include "list/list_display.h"
#include "platform/flag_guard.h"
#include "resolve/file_naming.h"

namespace reelcatch {

void ListDisplay::InitializeLayout() {
  try {
    // The ID can be clicked on, never typed over.
    grid_.SetColumnEdit(kColId, ColumnEdit::ActivateOnly);
  } catch (...) {
    // The full formatting disables the column anyway.
  }
}

void ListDisplay::BeforeCellUpdate(GridCellRef cell, const std::string& newValue, bool& cancel) {
  // Whatever the grid stores there, the next refill shows the list's.
  staleRows_.push_back(cell.row);
  // Our own write of the cleaned name below is already clean.
  if (cell.column != kColFileName || updatingCell_) return;
  std::string cleaned = CleanFileName(newValue);
  if (cleaned == texts::kEnterFileName) {
    cancel = true;
    return;
  }
  RenameFinishedFile(cell.row, cleaned, cancel);
  if (!cancel) pendingFileName_ = std::move(cleaned);
}

void ListDisplay::RenameFinishedFile(int row, const std::string& name, bool& cancel) {
  std::optional<int16_t> id = ItemIdOfRow(row);
  if (!fileRenamer_ || !id || !list_.Exists(*id - 1)) return;
  const DownloadItem& item = list_.At(*id - 1);
  if (item.Status != texts::kComplete || item.FileName == name) return;
  std::string refusal = fileRenamer_(item, name);
  if (refusal.empty()) return;
  cancel = true;
  dialogs_.ShowMessage(refusal, MessageButtons::Ok, MessageIcon::Exclamation, kProgramName);
}

void ListDisplay::AfterCellUpdate(GridCellRef cell) {
  if (cell.column != kColFileName || updatingCell_ || pendingFileName_.empty()) return;
  try {
    std::string fileName;
    {
      // Some grids report this write as another edit; it must not start
      // the rename over again.
      FlagGuard updating(updatingCell_);
      grid_.SetCellText(cell.row, kColFileName, pendingFileName_);
      fileName = grid_.CellText(cell.row, kColFileName);
    }
    if (std::optional<int16_t> id = ItemIdOfRow(cell.row)) {
      list_.UpdateItem(*id, "", fileName, "", "");
    }
  } catch (...) {
    // The list keeps its name; the next rebuild shows it again.
  }
}

}  // namespace reelcatch
