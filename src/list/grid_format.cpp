#include <array>

#include "list/list_display.h"

namespace reelcatch {

namespace {

struct ColumnFormat {
  ColumnEdit edit;
  const char* caption;
  int twips;
};

// In column order: ID, Video_URL, FileName, Status, FileSize. Only the file
// name may be edited, to rename the file before it is saved.
constexpr std::array<ColumnFormat, kGridColumnCount> kColumns{{
    {ColumnEdit::Disabled, " ", 300},
    {ColumnEdit::Disabled, "Video URL", 3800},
    {ColumnEdit::Editable, "Local File Name", 1800},
    {ColumnEdit::Disabled, "Download Status", 1700},
    {ColumnEdit::Disabled, "File Size", 750},
}};

GridColors ListColors() {
  GridColors colors;
  colors.area = {234, 233, 232};
  colors.border = {39, 104, 146};
  colors.selectedRowBack = {61, 211, 124};
  colors.activeRowBack = {61, 211, 124};
  colors.activeRowFore = {255, 255, 255};
  colors.rowBack = {255, 255, 255};
  colors.headerBack = {84, 137, 93};
  colors.headerFore = {255, 255, 255};
  return colors;
}

}  // namespace

bool ListDisplay::FormatDownloadGrid(bool bInit) {
  if (gridFormatted_) {
    // The grid keeps its layout across bindings; only the rows are new.
    RunStep([this] { BindCopy(); });
    return true;
  }
  RunStep([this] { grid_.SetCaption(""); });
  RunStep([this] { BindCopy(); });
  FormatColumns();
  FormatLook();
  // At start-up the list is empty and the grid gets unbound at the first
  // rebuild, so that one has to format again.
  if (!bInit) gridFormatted_ = true;
  return true;
}

void ListDisplay::RunStep(const std::function<void()>& step) {
  try {
    step();
  } catch (...) {
    // Skip the setting; the next formatting starts from scratch.
    gridFormatted_ = false;
  }
}

void ListDisplay::FormatColumns() {
  for (int column = 0; column < kGridColumnCount; ++column) {
    RunStep([&] { grid_.SetColumnEdit(column, kColumns[static_cast<size_t>(column)].edit); });
  }
  for (int column = 0; column < kGridColumnCount; ++column) {
    RunStep([&] { grid_.SetColumnCaption(column, kColumns[static_cast<size_t>(column)].caption); });
  }
  RunStep([this] { grid_.SetColumnRules(false, false, true); });
  for (int column = 0; column < kGridColumnCount; ++column) {
    RunStep([&] { grid_.SetColumnWidth(column, kColumns[static_cast<size_t>(column)].twips); });
  }
}

void ListDisplay::FormatLook() {
  RunStep([this] { grid_.SetColors(ListColors()); });
  RunStep([this] { grid_.SetRowSelectors(false); });
  RunStep([this] { grid_.SetExtendedCellSelection(); });
}

void ListDisplay::BindCopy() {
  // The current row follows its item into the new rows.
  uint64_t currentKey = 0;
  if (currentRow_ && boundCopy_ && *currentRow_ < static_cast<int>(boundCopy_->size())) {
    currentKey = (*boundCopy_)[static_cast<size_t>(*currentRow_)].Key;
  }
  const int hint = currentRow_.value_or(-1);
  grid_.SetDataSource(copy_);
  boundCopy_ = copy_;
  LocateCurrentRow(currentKey, hint);
}

}  // namespace reelcatch
