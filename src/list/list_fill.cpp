#include <algorithm>
#include <new>
#include <stdexcept>
#include <utility>

#include "list/list_display.h"
#include "platform/flag_guard.h"
#include "platform/yielder.h"

namespace reelcatch {

namespace {

// Edits made while a rebuild yields ask for another pass; a host that edits
// on every turn of its loop must not keep us here for ever.
constexpr int kMaxFillPasses = 8;

struct ErrorInfo {
  long number;
  std::string description;
};

// Numbers and texts as the user knows them from the program's messages.
ErrorInfo DescribeError(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    return {7, "Out of memory"};
  } catch (const std::length_error&) {
    return {7, "Out of memory"};
  } catch (const std::out_of_range&) {
    return {9, "Subscript out of range"};
  } catch (const std::overflow_error&) {
    return {6, "Overflow"};
  } catch (const std::exception& e) {
    return {5, e.what()};
  } catch (...) {
    return {51, "Internal error"};
  }
}

}  // namespace

ListDisplay::ListDisplay(DownloadList& list, Grid& grid, EventLoop& loop, Dialogs& dialogs)
    : list_(list), grid_(grid), loop_(loop), dialogs_(dialogs) {
  grid_.SetEvents(this);
}

ListDisplay::~ListDisplay() { grid_.SetEvents(nullptr); }

bool ListDisplay::FillDownloadList() {
  if (fillBusy_) {
    // The rebuild that is running shows this change once it is done.
    refillRequested_ = true;
    return false;
  }
  FlagGuard busy(fillBusy_);
  bool filled = false;
  for (int pass = 0; pass < kMaxFillPasses; ++pass) {
    refillRequested_ = false;
    filled = FillOnce();
    // Without another pass the grid would keep rows of items that were
    // removed or moved meanwhile, and a command reading their IDs would hit
    // the wrong items.
    if (!filled || !refillRequested_) break;
  }
  refillRequested_ = false;
  return filled;
}

bool ListDisplay::RebuildDownloadList() {
  rebuildWanted_ = true;
  return FillDownloadList();
}

bool ListDisplay::FillOnce() {
  try {
    if (CanPatch()) {
      // The window has its turn, as in a rebuild; what it changes decides
      // whether the rows can still be brought up to date where they are.
      loop_.DoEvents();
      if (CanPatch()) {
        PatchCopy();
        return true;
      }
    }
    staleRows_.clear();
    list_.ForgetChanges();
    rebuildWanted_ = false;
    if (list_.IsListEmpty()) {
      copy_.reset();
      spare_.reset();
      BindCopy();
      // Without a data source the grid drops its columns.
      gridFormatted_ = false;
      return false;
    }
    std::shared_ptr<DisplayCopy> copy = BuildCopy();
    std::shared_ptr<DisplayCopy> previous = std::exchange(copy_, std::move(copy));
    FormatDownloadGrid(false);
    // Once nobody else holds the previous copy, the next rebuild writes over
    // it instead of allocating every row's texts afresh.
    if (previous.use_count() == 1) spare_ = std::move(previous);
    return true;
  } catch (...) {
    ReportFillError(std::current_exception());
    return false;
  }
}

// The rows shown are the list's, item for item, and only fields changed
// since: those rows are brought up to date where they are, and a refill
// with nothing changed costs nothing.
bool ListDisplay::CanPatch() const {
  return !rebuildWanted_ && copy_ && copy_ == boundCopy_ && gridFormatted_ &&
         !list_.PendingChanges().reshaped && copy_->size() == static_cast<size_t>(list_.Count());
}

void ListDisplay::PatchCopy() {
  std::vector<int> rows = std::move(staleRows_);
  staleRows_.clear();
  const std::vector<int>& edited = list_.PendingChanges().edited;
  rows.insert(rows.end(), edited.begin(), edited.end());
  list_.ForgetChanges();
  for (int row : rows) {
    if (row < 0 || row >= list_.Count()) continue;
    CopyItem(std::as_const(list_).At(row), (*copy_)[static_cast<size_t>(row)]);
    grid_.RowsChanged(row, row);
  }
}

void ListDisplay::CopyItem(const DownloadItem& item, DisplayRow& row) {
  row.ID = item.ID;
  row.Video_URL = item.Video_URL;
  row.FileName = item.FileName;
  row.Status = item.Status;
  row.FileSize = item.FileSize;
  row.Key = item.Key;
  row.Reason = item.Reason;
}

std::shared_ptr<DisplayCopy> ListDisplay::BuildCopy() {
  std::shared_ptr<DisplayCopy> copy = std::move(spare_);
  if (!copy) copy = std::make_shared<DisplayCopy>();
  const int last = list_.LastPosition();
  // Grown geometrically: a list that grows by one item per rebuild must not
  // move every row each time.
  const size_t needed = static_cast<size_t>(last + 1);
  if (copy->capacity() < needed) copy->reserve(std::max(needed, 2 * copy->capacity()));
  Yielder yielder(loop_, yieldSlice_);
  yielder.YieldNow();
  size_t rows = 0;
  for (int position = 0; position <= last; ++position) {
    if (position > 0) yielder.Yield();
    // The list may have been shortened while the window had its turn.
    if (!list_.Exists(position)) continue;
    if (rows == copy->size()) copy->emplace_back();
    // Assigning keeps the row's own text buffers where they are big enough.
    CopyItem(std::as_const(list_).At(position), (*copy)[rows++]);
  }
  copy->resize(rows);
  return copy;
}

void ListDisplay::ReportFillError(std::exception_ptr error) {
  ErrorInfo info = DescribeError(error);
  std::string text = "An error occured while filling the Download list";
  text += '\r';
  text += std::to_string(info.number) + ":" + info.description;
  try {
    dialogs_.ShowMessage(text, MessageButtons::Ok, MessageIcon::Critical, kProgramName);
  } catch (...) {
    // Nothing more can be done for the user here.
  }
}

void ListDisplay::LocateCurrentRow(uint64_t key, int hint) {
  currentRow_.reset();
  if (key == 0 || !boundCopy_) return;
  if (hint >= 0 && hint < static_cast<int>(boundCopy_->size()) &&
      (*boundCopy_)[static_cast<size_t>(hint)].Key == key) {
    currentRow_ = hint;
    return;
  }
  for (size_t row = 0; row < boundCopy_->size(); ++row) {
    if ((*boundCopy_)[row].Key == key) {
      currentRow_ = static_cast<int>(row);
      return;
    }
  }
}

void ListDisplay::ShowCurrentRow(bool evenIfScrolled) {
  if (currentRow_ && *currentRow_ < grid_.RowCount()) grid_.ShowRow(*currentRow_, evenIfScrolled);
}

void ListDisplay::WriteCurrentRowStatus(const std::string& status) {
  if (!currentRow_) return;
  // The next refill shows the list's own status there again.
  staleRows_.push_back(*currentRow_);
  try {
    if (*currentRow_ < grid_.RowCount()) grid_.SetCellText(*currentRow_, kColStatus, status);
  } catch (...) {
    // Only the display misses this status; the next rebuild shows the list's.
  }
}

void ListDisplay::ShowDownloadGrid() {
  grid_.SetVisible(true);
  grid_.BringToFront();
}

void ListDisplay::HideDownloadGrid() { grid_.SetVisible(false); }

}  // namespace reelcatch
