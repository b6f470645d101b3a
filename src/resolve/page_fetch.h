#pragma once

#include <string>

#include "resolve/run_state.h"

namespace reelcatch {

class Download;

// Fetches the page at sLink into pageFile with the control, state.Preparing
// set for the time of the fetch and the page size limit held. True when the
// control's events set state.DownloadResult to "1"; a stop confirmed before
// the fetch begins fetches nothing.
bool FetchPage(const std::string& sLink, Download& control, RunState& state,
               const std::string& pageFile);

}  // namespace reelcatch
