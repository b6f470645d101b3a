#pragma once

#include <string>
#include <utility>
#include <vector>

namespace reelcatch::test {

// One answer of the sample site: a request target (path and query) and
// what it serves.
struct SampleRoute {
  std::string target;
  std::string contentType;
  std::string body;
  // Extra headers (for example a file name).
  std::vector<std::pair<std::string, std::string>> headers;
  // When false the answer carries no Content-Length (the body ends with
  // the connection).
  bool sendLength = true;
};

// One video of the sample site: its page address, and what the run should
// make of it.
struct SampleVideo {
  std::string site;
  std::string pageAddress;
  std::string videoTarget;
  std::string expectedFileName;
  std::string expectedSizeText;
};

// Pages in the format of each of the twelve supported sites, and the video
// files they point at, all served from base (for example
// "http://127.0.0.1:8080"). The sites' fixed media hosts must be pointed at
// base too (REELCATCH_MEDIA_HOST).
struct SampleSite {
  std::vector<SampleRoute> routes;
  std::vector<SampleVideo> videos;
};

SampleSite MakeSampleSite(const std::string& base);

class ScriptedServer;
// Serves the sample site's routes from the server.
void ServeSampleSite(ScriptedServer& server, const SampleSite& site);

// Deterministic bytes standing in for a video file.
std::string SampleVideoBytes(const std::string& seed, size_t size);

}  // namespace reelcatch::test
