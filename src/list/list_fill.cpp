#include <new>
#include <stdexcept>
#include <utility>

#include "list/flag_guard.h"
#include "list/list_display.h"
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

bool ListDisplay::FillOnce() {
  try {
    if (list_.IsListEmpty()) {
      copy_.reset();
      BindCopy();
      // Without a data source the grid drops its columns.
      gridFormatted_ = false;
      return false;
    }
    std::shared_ptr<DisplayCopy> copy = BuildCopy();
    copy_ = std::move(copy);
    FormatDownloadGrid(false);
    return true;
  } catch (...) {
    ReportFillError(std::current_exception());
    return false;
  }
}

std::shared_ptr<DisplayCopy> ListDisplay::BuildCopy() {
  auto copy = std::make_shared<DisplayCopy>();
  const int last = list_.LastPosition();
  copy->reserve(static_cast<size_t>(last + 1));
  Yielder yielder(loop_, yieldSlice_);
  yielder.YieldNow();
  for (int position = 0; position <= last; ++position) {
    if (position > 0) yielder.Yield();
    // The list may have been shortened while the window had its turn.
    if (!list_.Exists(position)) continue;
    const DownloadItem& item = list_.At(position);
    copy->push_back({item.ID, item.Video_URL, item.FileName, item.Status, item.FileSize, item.Key});
  }
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

void ListDisplay::LocateCurrentRow(int16_t currentIndex) {
  currentRow_.reset();
  const std::string id = std::to_string(currentIndex + 1);
  try {
    for (int row = 0, rows = grid_.RowCount(); row < rows; ++row) {
      if (grid_.CellText(row, kColId) == id) {
        currentRow_ = row;
        return;
      }
    }
  } catch (...) {
    currentRow_.reset();
  }
}

void ListDisplay::WriteCurrentRowStatus(const std::string& status) {
  if (!currentRow_) return;
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
