// Serves the sample site on 127.0.0.1 until its standard input closes.
// Prints the base address on the first line, then one page address a line:
// the twelve sites' pages, then a page of another site, then one of another
// site that plays an HLS stream.
#include <cstdio>
#include <iostream>
#include <limits>
#include <string>

#include "support/sample_site.h"
#include "support/scripted_server.h"

int main() {
  using namespace reelcatch::test;
  ScriptedServer server;
  std::printf("%s\n", server.Url("").c_str());
  for (const SampleVideo& video : ServeSampleSite(server)) {
    std::printf("%s\n", video.pageAddress.c_str());
  }
  std::printf("%s\n", ServeOtherSitePage(server).pageAddress.c_str());
  std::printf(
      "%s\n",
      ServeStreamPage(server, REELCATCH_SOURCE_DIR "/tests/fixtures/hls/ts").pageAddress.c_str());
  std::fflush(stdout);
  std::cin.ignore(std::numeric_limits<std::streamsize>::max());
  return 0;
}
