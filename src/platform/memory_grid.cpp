#include "platform/memory_grid.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

namespace reelcatch {

namespace {

int32_t ParseId(const std::string& text) {
  int32_t value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty()) {
    throw std::invalid_argument("type mismatch: ID takes a whole number");
  }
  return value;
}

}  // namespace

MemoryGrid::MemoryGrid() : columns_(DefaultColumns()) {}

std::array<MemoryGrid::ColumnLayout, kGridColumnCount> MemoryGrid::DefaultColumns() {
  // Before it is laid out, a column shows its field's name.
  return {{{"ID"}, {"Video_URL"}, {"FileName"}, {"Status"}, {"FileSize"}}};
}

void MemoryGrid::SetGeometry(int left, int top, int width, int height) {
  geometry_ = {left, top, width, height};
}

void MemoryGrid::SetDataSource(std::shared_ptr<DisplayCopy> copy) {
  ++bindCount_;
  copy_ = std::move(copy);
  // New rows: nothing is selected or scrolled. Without a data source the
  // columns are gone, and a later binding starts from plain columns.
  selectedCells_.clear();
  rowSelected_.assign(copy_ ? copy_->size() : 0, false);
  scrollTop_ = 0;
  if (!copy_) {
    columns_ = DefaultColumns();
    return;
  }
  if (events_) events_->InitializeLayout();
}

MemoryGrid::ColumnLayout& MemoryGrid::ColumnAt(int column) {
  if (column < 0 || column >= kGridColumnCount) throw std::out_of_range("no such column");
  return columns_[static_cast<size_t>(column)];
}

const MemoryGrid::ColumnLayout& MemoryGrid::Column(int column) const {
  if (column < 0 || column >= kGridColumnCount) throw std::out_of_range("no such column");
  return columns_[static_cast<size_t>(column)];
}

void MemoryGrid::SetColumnEdit(int column, ColumnEdit edit) { ColumnAt(column).edit = edit; }

void MemoryGrid::SetColumnCaption(int column, const std::string& caption) {
  ColumnAt(column).caption = caption;
}

void MemoryGrid::SetColumnWidth(int column, int twips) { ColumnAt(column).width = twips; }

void MemoryGrid::SetColumnRules(bool allowMove, bool allowSwap, bool allowSize) {
  rules_ = {allowMove, allowSwap, allowSize};
}

int MemoryGrid::RowCount() const { return copy_ ? static_cast<int>(copy_->size()) : 0; }

DisplayRow& MemoryGrid::RowAt(int row) {
  if (row < 0 || row >= RowCount()) throw std::out_of_range("no such row");
  return (*copy_)[static_cast<size_t>(row)];
}

const DisplayRow& MemoryGrid::RowAt(int row) const {
  if (row < 0 || row >= RowCount()) throw std::out_of_range("no such row");
  return (*copy_)[static_cast<size_t>(row)];
}

bool MemoryGrid::ValidCell(GridCellRef cell) const {
  return cell.row >= 0 && cell.row < RowCount() && cell.column >= 0 &&
         cell.column < kGridColumnCount;
}

std::string MemoryGrid::CellText(int row, int column) const {
  const DisplayRow& r = RowAt(row);
  switch (column) {
    case kColId:
      return std::to_string(r.ID);
    case kColVideoUrl:
      return r.Video_URL;
    case kColFileName:
      return r.FileName;
    case kColStatus:
      return r.Status;
    case kColFileSize:
      return r.FileSize;
    default:
      throw std::out_of_range("no such column");
  }
}

void MemoryGrid::Store(int row, int column, const std::string& value) {
  DisplayRow& r = RowAt(row);
  switch (column) {
    case kColId:
      r.ID = ParseId(value);
      break;
    case kColVideoUrl:
      r.Video_URL = value;
      break;
    case kColFileName:
      r.FileName = value;
      break;
    case kColStatus:
      r.Status = value;
      break;
    case kColFileSize:
      r.FileSize = value;
      break;
    default:
      throw std::out_of_range("no such column");
  }
}

bool MemoryGrid::StoreWithEvents(int row, int column, const std::string& value) {
  // The handlers may rebind the grid; keep the rows alive until we are done.
  std::shared_ptr<DisplayCopy> keep = copy_;
  GridCellRef cell{row, column};
  if (events_) {
    bool cancel = false;
    events_->BeforeCellUpdate(cell, value, cancel);
    if (cancel || copy_ != keep || !ValidCell(cell)) return false;
  }
  Store(row, column, value);
  if (events_) events_->AfterCellUpdate(cell);
  return true;
}

void MemoryGrid::SetCellText(int row, int column, const std::string& text) {
  if (!ValidCell({row, column})) throw std::out_of_range("no such cell");
  if (raiseOnProgramWrites_) {
    StoreWithEvents(row, column, text);
  } else {
    Store(row, column, text);
  }
}

bool MemoryGrid::EditCell(int row, int column, const std::string& value) {
  if (!ValidCell({row, column})) return false;
  if (Column(column).edit != ColumnEdit::Editable) return false;
  return StoreWithEvents(row, column, value);
}

bool MemoryGrid::IsRowSelected(int row) const {
  RowAt(row);
  return rowSelected_[static_cast<size_t>(row)];
}

void MemoryGrid::SetRowSelected(int row, bool selected) {
  RowAt(row);
  rowSelected_[static_cast<size_t>(row)] = selected;
}

bool MemoryGrid::IsCellSelected(GridCellRef cell) const {
  return std::find(selectedCells_.begin(), selectedCells_.end(), cell) != selectedCells_.end();
}

void MemoryGrid::SelectCell(GridCellRef cell) {
  if (!ValidCell(cell)) throw std::out_of_range("no such cell");
  if (!IsCellSelected(cell)) selectedCells_.push_back(cell);
}

void MemoryGrid::ClearSelection() {
  selectedCells_.clear();
  std::fill(rowSelected_.begin(), rowSelected_.end(), false);
}

void MemoryGrid::ScrollRows(int action) {
  int lastTop = std::max(0, RowCount() - 1);
  if (action == 1) scrollTop_ = std::min(scrollTop_ + 1, lastTop);
  if (action == 0) scrollTop_ = std::max(scrollTop_ - 1, 0);
}

}  // namespace reelcatch
