#pragma once

#include <string>
#include <vector>

#include "list/download_list.h"
#include "list/list_display.h"
#include "platform/dialogs.h"
#include "resolve/run_state.h"

namespace reelcatch {

// The one way a page address enters the list: classified by site, appended
// with the matching placeholders, shown, and, during a run, the running
// item's grid row found again. Every line of url is an address of its own,
// without the blanks around it; blank lines add nothing. With anySite, an
// http or https address of no supported site waits like a supported one.
// Answers the addresses that found no room because the list is full, in
// order.
std::vector<std::string> AddDownloadURL(const std::string& url, DownloadList& list,
                                        ListDisplay& display, RunState& state,
                                        bool anySite = false);

// Adds several addresses, each as AddDownloadURL does, with one refill at
// the end: a terminal given thousands of addresses need not redraw after
// each.
std::vector<std::string> AddDownloadURLs(const std::vector<std::string>& urls, DownloadList& list,
                                         ListDisplay& display, RunState& state,
                                         bool anySite = false);

// Tells the user, in one message, that these addresses were not added;
// nothing when there are none.
void SayNotAdded(Dialogs& dialogs, const std::vector<std::string>& notAdded);

// Keeps state.CurrentIndex on the running item (edits may have moved it)
// and finds its grid row again.
void LocateRunningRow(DownloadList& list, ListDisplay& display, RunState& state);

}  // namespace reelcatch
