#include "app/get/progress_view.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "app/get/terminal_text.h"
#include "list/status_cell.h"

namespace reelcatch {

namespace {

constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
constexpr int kMaxRows = 20;
constexpr auto kNumericLineEvery = std::chrono::seconds(1);
// "999.9 KB/s  99:59:59 left".
constexpr int kRateWidth = 26;

int TerminalWidth(std::FILE* out) {
  winsize size{};
  if (ioctl(fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 20) return size.ws_col;
  return 100;
}

std::string Fit(const std::string& text, size_t width) {
  if (text.size() <= width) return text + std::string(width - text.size(), ' ');
  if (width < 2) return text.substr(0, width);
  return text.substr(0, width - 1) + "~";
}

}  // namespace

std::string StatusBar(const std::string& status, int width) {
  double value = 0;
  if (!ReadsAsNumber(status, &value)) return status;
  double clamped = std::clamp(value, 0.0, 100.0);
  int percent = static_cast<int>(std::nearbyint(clamped));
  int filled = static_cast<int>(std::nearbyint(clamped / 100.0 * width));
  return "[" + std::string(static_cast<size_t>(filled), '#') +
         std::string(static_cast<size_t>(width - filled), '-') + "] " + std::to_string(percent) +
         "%";
}

ProgressView::ProgressView(const DownloadList& list, std::FILE* out, bool live)
    : list_(list), out_(out), live_(live) {}

void ProgressView::StatusChanged(int position) {
  dirty_ = true;
  lastChanged_ = position;
  if (live_ || !list_.Exists(position)) return;
  const DownloadItem& item = list_.At(position);
  size_t slot = static_cast<size_t>(position);
  if (lastLine_.size() <= slot) {
    lastLine_.resize(slot + 1);
    lastStatus_.resize(slot + 1);
  }
  if (lastStatus_[slot] == item.Status) return;
  // Byte counts and percentages change with every read: one line a second.
  auto now = Clock::now();
  bool counting = ReadsAsNumber(item.Status) || item.Status.ends_with("so far..");
  bool wasCounting = ReadsAsNumber(lastStatus_[slot]) || lastStatus_[slot].ends_with("so far..");
  if (counting && wasCounting && now - lastLine_[slot] < kNumericLineEvery) return;
  lastStatus_[slot] = item.Status;
  lastLine_[slot] = now;
  PrintLine(item, counting);
}

std::string ProgressView::RateOf(const DownloadItem& item) const {
  return rateOf_ ? rateOf_(item) : std::string();
}

void ProgressView::PrintLine(const DownloadItem& item, bool counting) {
  std::string rate = counting ? RateOf(item) : std::string();
  if (!rate.empty()) rate = "  " + rate;
  std::fprintf(out_, "[%d] %s  %s  %s%s\n", item.ID, EscapeControls(item.Status).c_str(),
               EscapeControls(item.FileName).c_str(), EscapeControls(item.FileSize).c_str(),
               rate.c_str());
  std::fflush(out_);
}

void ProgressView::Tick() {
  if (!live_ || !dirty_) return;
  auto now = Clock::now();
  if (now - lastDraw_ < kRedrawEvery) return;
  lastDraw_ = now;
  Redraw();
}

std::string ProgressView::Row(const DownloadItem& item, int width) const {
  int rest = std::max(width - 6 - 12 - 28 - 4 - (kRateWidth + 1), 20);
  int urlWidth = rest * 3 / 5;
  int nameWidth = rest - urlWidth;
  return Fit(std::to_string(item.ID), 5) + " " +
         Fit(EscapeControls(item.Video_URL), static_cast<size_t>(urlWidth)) + " " +
         Fit(EscapeControls(item.FileName), static_cast<size_t>(nameWidth)) + " " +
         Fit(EscapeControls(StatusBar(item.Status, 20)), 28) + " " +
         Fit(EscapeControls(item.FileSize), 10) + " " + RateOf(item);
}

void ProgressView::Redraw() {
  int width = TerminalWidth(out_);
  std::string frame;
  if (drawnLines_ > 0) frame += "\x1b[" + std::to_string(drawnLines_) + "F";
  // A long list shows the rows around the item that changed last.
  int count = list_.Count();
  int first = std::clamp(lastChanged_ - kMaxRows / 2, 0, std::max(count - kMaxRows, 0));
  int last = std::min(count, first + kMaxRows);
  int lines = 0;
  for (int position = first; position < last; ++position) {
    const DownloadItem& item = list_.At(position);
    frame += "\x1b[2K" + Row(item, width).substr(0, static_cast<size_t>(width - 1)) + "\n";
    ++lines;
  }
  frame += "\x1b[J";
  std::fwrite(frame.data(), 1, frame.size(), out_);
  std::fflush(out_);
  drawnLines_ = lines;
  dirty_ = false;
}

void ProgressView::ReportFailure(const DownloadItem& item) {
  std::string line = "[" + std::to_string(item.ID) + "] " + texts::kError + ": " +
                     EscapeControls(item.Reason) + "\n";
  if (live_) {
    heldFailures_.push_back(std::move(line));
    return;
  }
  std::fputs(line.c_str(), out_);
  std::fflush(out_);
}

void ProgressView::Finish() {
  if (live_) Redraw();
  for (const std::string& line : heldFailures_) std::fputs(line.c_str(), out_);
  heldFailures_.clear();
  std::fflush(out_);
}

}  // namespace reelcatch
