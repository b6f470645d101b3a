#include "list/add_download_url.h"

#include <string_view>

#include "resolve/site_table.h"
#include "transfer/web_address.h"

namespace reelcatch {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Each line of what was given, without the blanks around it; blank lines
// give nothing. A pasted address often carries a line end, and a paste of
// several lines is several addresses.
std::vector<std::string> AddressesIn(std::string_view text) {
  std::vector<std::string> addresses;
  while (!text.empty()) {
    size_t end = text.find_first_of("\r\n");
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    if (!line.empty()) addresses.emplace_back(line);
  }
  return addresses;
}

bool AppendClassified(const std::string& url, DownloadList& list, bool anySite) {
  if (GetSiteId(url) != -1 || (anySite && IsWebAddress(url))) {
    return list.AddItem(url, texts::kAutoDetect, texts::kWaiting, texts::kUnknownSize);
  }
  return list.AddItem(url, texts::kError, texts::kNotSupported, texts::kUnknownSize);
}

}  // namespace

std::vector<std::string> AddDownloadURL(const std::string& url, DownloadList& list,
                                        ListDisplay& display, RunState& state, bool anySite) {
  return AddDownloadURLs({url}, list, display, state, anySite);
}

std::vector<std::string> AddDownloadURLs(const std::vector<std::string>& urls, DownloadList& list,
                                         ListDisplay& display, RunState& state, bool anySite) {
  std::vector<std::string> notAdded;
  for (const std::string& given : urls) {
    for (std::string& url : AddressesIn(given)) {
      if (!AppendClassified(url, list, anySite)) notAdded.push_back(std::move(url));
    }
  }
  display.FillDownloadList();
  if (state.Downloading) LocateRunningRow(list, display, state);
  return notAdded;
}

void SayNotAdded(Dialogs& dialogs, const std::vector<std::string>& notAdded) {
  if (notAdded.empty()) return;
  std::string count =
      notAdded.size() == 1 ? "1 address was" : std::to_string(notAdded.size()) + " addresses were";
  dialogs.ShowMessage("The download list is full (" + std::to_string(DownloadList::kMaxItems) +
                          " items): " + count + " not added.",
                      MessageButtons::Ok, MessageIcon::Exclamation, kProgramName);
}

void LocateRunningRow(DownloadList& list, ListDisplay& display, RunState& state) {
  int position = list.PositionOfKey(state.CurrentKey, state.CurrentIndex);
  if (state.CurrentKey != 0 && position >= 0) state.CurrentIndex = static_cast<int16_t>(position);
  display.LocateCurrentRow(state.CurrentKey, position);
}

}  // namespace reelcatch
