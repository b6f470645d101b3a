#pragma once

#include <string>
#include <vector>

#include "list/download_list.h"
#include "list/list_display.h"
#include "resolve/run_state.h"

namespace reelcatch {

// The one way a page address enters the list: classified by site, appended
// with the matching placeholders, shown, and, during a run, the running
// item's grid row found again. Every line of url is an address of its own,
// without the blanks around it; blank lines add nothing.
void AddDownloadURL(const std::string& url, DownloadList& list, ListDisplay& display,
                    RunState& state);

// Adds several addresses, each as AddDownloadURL does, with one refill at
// the end: a terminal given thousands of addresses need not redraw after
// each.
void AddDownloadURLs(const std::vector<std::string>& urls, DownloadList& list,
                     ListDisplay& display, RunState& state);

// Keeps state.CurrentIndex on the running item (edits may have moved it)
// and finds its grid row again.
void LocateRunningRow(DownloadList& list, ListDisplay& display, RunState& state);

}  // namespace reelcatch
