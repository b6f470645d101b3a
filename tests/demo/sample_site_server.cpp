// Serves the sample site on 127.0.0.1 until its standard input closes.
// Prints the base address on the first line, then one page address a line.
#include <cstdio>
#include <iostream>
#include <string>

#include "support/sample_site.h"
#include "support/scripted_server.h"

int main() {
  using namespace reelcatch::test;
  ScriptedServer server;
  SampleSite site = MakeSampleSite(server.Url(""));
  ServeSampleSite(server, site);
  std::printf("%s\n", server.Url("").c_str());
  for (const SampleVideo& video : site.videos) std::printf("%s\n", video.pageAddress.c_str());
  std::fflush(stdout);
  std::string line;
  while (std::getline(std::cin, line)) {
  }
  return 0;
}
