#include "list/add_download_url.h"

#include "resolve/site_table.h"

namespace reelcatch {

namespace {

void AppendClassified(const std::string& url, DownloadList& list) {
  if (GetSiteId(url) != -1) {
    list.AddItem(url, texts::kAutoDetect, texts::kWaiting, texts::kUnknownSize);
  } else {
    list.AddItem(url, texts::kError, texts::kNotSupported, texts::kUnknownSize);
  }
}

}  // namespace

void AddDownloadURL(const std::string& url, DownloadList& list, ListDisplay& display,
                    RunState& state) {
  AddDownloadURLs({url}, list, display, state);
}

void AddDownloadURLs(const std::vector<std::string>& urls, DownloadList& list,
                     ListDisplay& display, RunState& state) {
  for (const std::string& url : urls) AppendClassified(url, list);
  display.FillDownloadList();
  if (state.Downloading) LocateRunningRow(list, display, state);
}

void LocateRunningRow(DownloadList& list, ListDisplay& display, RunState& state) {
  int position = list.PositionOfKey(state.CurrentKey, state.CurrentIndex);
  if (state.CurrentKey != 0 && position >= 0) state.CurrentIndex = static_cast<int16_t>(position);
  display.LocateCurrentRow(state.CurrentIndex);
}

}  // namespace reelcatch
