#include <charconv>
#include <limits>

#include "list/item_actions.h"
#include "list/list_display.h"

namespace reelcatch {

namespace {

// A whole number in 16 bits, blanks around it allowed; none otherwise.
std::optional<int16_t> ParseInt16(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  size_t last = text.find_last_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  const char* begin = text.data() + first;
  const char* end = text.data() + last + 1;
  if (*begin == '+') {
    ++begin;
    if (begin == end || *begin == '-') return std::nullopt;
  }
  int value = 0;
  auto [ptr, ec] = std::from_chars(begin, end, value);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int16_t>(value);
}

}  // namespace

std::optional<int16_t> ListDisplay::ItemIdOfRow(int row) const {
  std::optional<int16_t> id = ParseInt16(grid_.CellText(row, kColId));
  if (!id || !boundCopy_ || row < 0 || row >= static_cast<int>(boundCopy_->size())) return id;
  // The rows may be older than the list (an edit while a rebuild yields):
  // go by the item the row was read from, so the right item is touched.
  uint64_t key = (*boundCopy_)[static_cast<size_t>(row)].Key;
  if (key == 0) return id;
  int position = list_.PositionOfKey(key, *id - 1);
  if (position < 0) return std::nullopt;
  return static_cast<int16_t>(position + 1);
}

void ListDisplay::SelectAllItems() {
  try {
    for (int row = 0, rows = grid_.RowCount(); row < rows; ++row) grid_.SetRowSelected(row, true);
  } catch (...) {
    // The rows selected so far stay selected.
  }
}

void ListDisplay::RemoveSelected() {
  try {
    // A row counts as selected when any of its cells is; mark it on the
    // Video_URL cell so the walk below has one thing to look at.
    std::vector<GridCellRef> cells = grid_.SelectedCells();
    for (auto cell = cells.rbegin(); cell != cells.rend(); ++cell) {
      grid_.SelectCell({cell->row, kColVideoUrl});
    }
  } catch (...) {
    // Rows whose cells could not be folded in stay.
  }
  RemoveRowsWhere([this](int row) {
    return grid_.IsRowSelected(row) || grid_.IsCellSelected({row, kColVideoUrl});
  });
}

void ListDisplay::ClearCompleted() {
  RemoveRowsWhere([this](int row) { return grid_.CellText(row, kColStatus) == texts::kComplete; });
}

namespace {

void WaitAgain(DownloadItem& item) {
  item.Status = texts::kWaiting;
  item.FileSize = texts::kUnknownSize;
  item.Reason.clear();
  if (item.FileName == texts::kUnsupportedLink || item.FileName == texts::kProcessFailed) {
    item.FileName = texts::kAutoDetect;
  }
}

}  // namespace

void ListDisplay::RetryFailed() {
  for (int position = 0; list_.Exists(position); ++position) {
    if (list_.At(position).Status == texts::kError) WaitAgain(list_.Edit(position));
  }
  RebuildDownloadList();
}

void ListDisplay::RetryItems(const std::vector<int>& positions) {
  for (int position : positions) {
    if (list_.Exists(position) && CanRetry(list_.At(position))) WaitAgain(list_.Edit(position));
  }
  RebuildDownloadList();
}

std::vector<int> ListDisplay::ChosenPositions() const {
  std::vector<bool> chosen(static_cast<size_t>(list_.Count()));
  auto choose = [&](int row) {
    std::optional<int16_t> id = ItemIdOfRow(row);
    if (id && list_.Exists(*id - 1)) chosen[static_cast<size_t>(*id - 1)] = true;
  };
  for (const GridCellRef& cell : grid_.SelectedCells()) choose(cell.row);
  for (int row = 0, rows = grid_.RowCount(); row < rows; ++row) {
    if (grid_.IsRowSelected(row)) choose(row);
  }
  std::vector<int> positions;
  for (size_t position = 0; position < chosen.size(); ++position) {
    if (chosen[position]) positions.push_back(static_cast<int>(position));
  }
  return positions;
}

void ListDisplay::RemoveRowsWhere(const std::function<bool(int row)>& test) {
  const int rows = grid_.RowCount();
  if (rows == 0) return;
  // From the last row up: the rows keep showing the IDs they were bound
  // with, and a removal renumbers only the items behind it.
  for (int row = rows - 1; row >= 0; --row) {
    try {
      if (!test(row)) continue;
      if (std::optional<int16_t> id = ItemIdOfRow(row)) list_.DeleteItem(*id);
    } catch (...) {
      // This row's item stays; go on with the others.
    }
  }
  if (list_.IsListEmpty()) gridFormatted_ = false;
  RebuildDownloadList();
}

void ListDisplay::MoveSelectedUp() { MoveSelected(true); }

void ListDisplay::MoveSelectedDown() { MoveSelected(false); }

void ListDisplay::MoveSelected(bool up) {
  try {
    // Only the first selected cell counts; selected rows are not looked at.
    std::vector<GridCellRef> cells = grid_.SelectedCells();
    std::optional<int16_t> id;
    if (!cells.empty()) id = ItemIdOfRow(cells.front().row);
    if (id && up) list_.MoveItemUp(*id);
    if (id && !up) list_.MoveItemDown(*id);
  } catch (...) {
    // Nothing moved.
  }
  RebuildDownloadList();
}

}  // namespace reelcatch
