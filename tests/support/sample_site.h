#pragma once

#include <string>
#include <vector>

namespace reelcatch::test {

// One video of the sample site: its page address, and what a run should make of it.
struct SampleVideo {
  std::string pageAddress;
  std::string videoTarget;  // path and query of the video on the server
  std::string fileName;
  std::string sizeText;
  std::string bytes;
};

class ScriptedServer;

// A page in the format of each of the twelve supported sites and the video
// it points at, served by server. The sites' fixed media hosts must be
// pointed at the server too (REELCATCH_MEDIA_HOST=server.Url("")).
std::vector<SampleVideo> ServeSampleSite(ScriptedServer& server);

// A page of a site without a rule of its own, showing its video in an HTML5
// <video> element: found only with "Other sites" on.
SampleVideo ServeOtherSitePage(ScriptedServer& server);

// A page of another site whose <video> plays an HLS stream: the MPEG-TS
// stream in fixtureFolder (its index.m3u8 and segments). What a run makes
// of it is the segments joined.
SampleVideo ServeStreamPage(ScriptedServer& server, const std::string& fixtureFolder);

// Deterministic bytes standing in for a video file.
std::string SampleVideoBytes(const std::string& seed, size_t size);

}  // namespace reelcatch::test
