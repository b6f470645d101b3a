// Time and CPU cost of a stream download (a VOD list of 50 segments of
// about 1 MiB from a local server) against the curl tool fetching the same
// segments over one connection, and against ffmpeg copying the stream when
// it is installed.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "figures.h"
#include "stream/stream_download.h"
#include "support/scripted_server.h"
#include "transfer/download.h"

extern char** environ;

namespace {

using namespace reelcatch::bench;
using reelcatch::test::Response;
using reelcatch::test::ScriptedServer;
namespace fs = std::filesystem;

constexpr int kSegments = 50;
constexpr int kRounds = 3;

// A real MPEG-TS segment repeated to about 1 MiB, so ffmpeg can copy it too.
std::string Segment() {
  std::ifstream in(fs::path(REELCATCH_SOURCE_DIR) / "tests/fixtures/hls/ts/seg0.ts",
                   std::ios::binary);
  std::string one(std::istreambuf_iterator<char>(in), {});
  std::string segment;
  while (!one.empty() && segment.size() < (1u << 20)) segment += one;
  return segment;
}

Figures WithStreamDownload(const std::string& url, const std::string& path, uint64_t size) {
  IdleLoop loop;
  reelcatch::DownloadEvents events;
  reelcatch::Download control(loop);
  control.SetEvents(&events);
  control.SetUrl(url);
  control.RequestInformation();
  reelcatch::StreamHooks hooks;
  hooks.openFile = [&path](bool) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  };
  hooks.tryAgain = [](int) { return false; };
  hooks.stopped = [] { return false; };
  hooks.progressed = [] {};
  reelcatch::StreamDownload stream(control, hooks);
  rusage before{}, after{};
  getrusage(RUSAGE_THREAD, &before);
  auto start = std::chrono::steady_clock::now();
  reelcatch::StreamOutcome outcome = stream.Run(url);
  Figures figures;
  figures.seconds = Since(start);
  getrusage(RUSAGE_THREAD, &after);
  figures.cpuSeconds = CpuSeconds(after) - CpuSeconds(before);
  figures.whole =
      outcome.end == reelcatch::StreamOutcome::End::kComplete && fs::file_size(path) == size;
  return figures;
}

// Runs a program with its output into path; its own time and CPU.
Figures Spawn(std::vector<std::string> args, const std::string& path, uint64_t size) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  Figures figures;
  auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return {0, 0, false};
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  figures.seconds = Since(start);
  figures.cpuSeconds = CpuSeconds(usage);
  figures.whole =
      WIFEXITED(status) && WEXITSTATUS(status) == 0 && (size == 0 || fs::file_size(path) == size);
  return figures;
}

bool Installed(const char* program) {
  return Spawn({"sh", "-c", std::string("command -v ") + program}, "/dev/null", 0).whole;
}

}  // namespace

int main() {
  ScriptedServer server;
  server.KeepAlive();
  const std::string segment = Segment();
  std::string list = "#EXTM3U\n#EXT-X-TARGETDURATION:1\n";
  std::vector<std::string> curlArgs = {"curl", "-s"};
  for (int i = 0; i < kSegments; ++i) {
    std::string target = "/s/" + std::to_string(i) + ".ts";
    server.Route(target, Response::Ok(segment, {{"Content-Type", "video/mp2t"}}));
    list += "#EXTINF:1,\n" + target + "\n";
    curlArgs.push_back(server.Url(target));
  }
  server.Route("/list.m3u8", Response::Ok(list + "#EXT-X-ENDLIST\n"));
  const uint64_t size = segment.size() * kSegments;
  std::string folder = (fs::temp_directory_path() / "reelcatch-bench-XXXXXX").string();
  if (segment.empty() || mkdtemp(folder.data()) == nullptr) return 0;
  const std::string path = folder + "/out.ts";
  const bool ffmpeg = Installed("ffmpeg");

  Figures ours, curl, copy;
  for (int round = 0; round < kRounds; ++round) {
    ours = Better(ours, WithStreamDownload(server.Url("/list.m3u8"), path, size));
    curl = Better(curl, Spawn(curlArgs, path, size));
    if (ffmpeg) {
      copy = Better(copy, Spawn({"ffmpeg", "-v", "error", "-y", "-i", server.Url("/list.m3u8"),
                                 "-c", "copy", "-f", "mpegts", path + ".copy"},
                                "/dev/null", 0));
    }
  }
  fs::remove_all(folder);

  std::printf("stream.segments %d of %.2f MiB (best of %d rounds each)\n", kSegments,
              segment.size() / 1048576.0, kRounds);
  std::printf("stream.reelcatch_s %.3f cpu %.3f\n", ours.seconds, ours.cpuSeconds);
  std::printf("stream.curl_s %.3f cpu %.3f\n", curl.seconds, curl.cpuSeconds);
  std::printf("stream.time_ratio_curl %.2f\n", ours.seconds / curl.seconds);
  std::printf("stream.cpu_ratio_curl %.2f (target <= 1.25)\n", ours.cpuSeconds / curl.cpuSeconds);
  if (ffmpeg) {
    std::printf("stream.ffmpeg_s %.3f\n", copy.seconds);
    std::printf("stream.time_ratio_ffmpeg %.2f (target <= 1.0)\n", ours.seconds / copy.seconds);
  } else {
    std::printf("stream.ffmpeg not installed: no ratio against it\n");
  }
  if (!ours.whole || !curl.whole || (ffmpeg && !copy.whole)) {
    std::printf("stream.warning a fetch came back incomplete\n");
  }
  return 0;
}
