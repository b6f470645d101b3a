// Throughput and CPU cost of the Download control against the curl tool,
// both fetching the same 256 MiB body from a local server.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/scripted_server.h"
#include "transfer/download.h"

extern char** environ;

namespace {

using reelcatch::Download;
using reelcatch::test::Response;
using reelcatch::test::ScriptedServer;

constexpr uint64_t kBodySize = uint64_t{256} << 20;
constexpr int kRounds = 3;

class IdleLoop : public reelcatch::EventLoop {
 public:
  void DoEvents() override {}
};

struct Figures {
  double seconds = 1e300;
  double cpuSeconds = 1e300;
  bool whole = true;
};

double CpuSeconds(const rusage& usage) {
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The control runs on this thread alone; the server's threads are not counted.
Figures FetchWithControl(const std::string& url, const std::string& path) {
  IdleLoop loop;
  reelcatch::DownloadEvents events;
  Download control(loop);
  control.SetEvents(&events);
  control.SetUrl(url);
  // Through an opener and a judged answer, as the run transfers a video.
  control.SetLocalFile(path, [&path](const reelcatch::BodyStart&) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  });
  control.SetResumeFrom(std::nullopt);
  control.RequestInformation();
  control.SetFileSize(static_cast<float>(kBodySize));
  rusage before{}, after{};
  getrusage(RUSAGE_THREAD, &before);
  auto start = std::chrono::steady_clock::now();
  bool complete = control.StartDownload();
  Figures figures;
  figures.seconds = Since(start);
  getrusage(RUSAGE_THREAD, &after);
  figures.cpuSeconds = CpuSeconds(after) - CpuSeconds(before);
  figures.whole = complete && std::filesystem::file_size(path) == kBodySize;
  return figures;
}

Figures FetchWithCurl(const std::string& url, const std::string& path) {
  std::string program = "curl";
  std::string silent = "-s";
  std::string output = "-o";
  std::string target = path;
  std::string address = url;
  char* argv[] = {program.data(), silent.data(),  output.data(),
                  target.data(),  address.data(), nullptr};
  Figures figures;
  auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  if (posix_spawnp(&child, "curl", nullptr, nullptr, argv, environ) != 0) {
    figures.whole = false;
    return figures;
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  figures.seconds = Since(start);
  figures.cpuSeconds = CpuSeconds(usage);
  figures.whole = WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
                  std::filesystem::file_size(path) == kBodySize;
  return figures;
}

Figures Better(Figures a, Figures b) {
  return {std::min(a.seconds, b.seconds), std::min(a.cpuSeconds, b.cpuSeconds), a.whole && b.whole};
}

double MiBPerSecond(const Figures& figures) { return (kBodySize / 1048576.0) / figures.seconds; }

}  // namespace

int main() {
  ScriptedServer server;
  server.Route("/big",
               Response::Head("HTTP/1.1 200 OK", {{"Content-Length", std::to_string(kBodySize)},
                                                  {"Connection", "close"}})
                   .Generate(kBodySize));
  std::string folder = (std::filesystem::temp_directory_path() / "reelcatch-bench-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) return 0;
  std::string path = folder + "/big.bin";

  Figures control, curl;
  for (int round = 0; round < kRounds; ++round) {
    control = Better(control, FetchWithControl(server.Url("/big"), path));
    std::filesystem::remove(path);
    curl = Better(curl, FetchWithCurl(server.Url("/big"), path));
    std::filesystem::remove(path);
  }
  std::filesystem::remove_all(folder);

  std::printf("transfer.body_mib %.0f (best of %d rounds each)\n", kBodySize / 1048576.0, kRounds);
  std::printf("transfer.control_mib_per_s %.1f\n", MiBPerSecond(control));
  std::printf("transfer.curl_mib_per_s %.1f\n", MiBPerSecond(curl));
  std::printf("transfer.control_cpu_s %.3f\n", control.cpuSeconds);
  std::printf("transfer.curl_cpu_s %.3f\n", curl.cpuSeconds);
  std::printf("transfer.throughput_ratio %.2f (target >= 0.85)\n",
              MiBPerSecond(control) / MiBPerSecond(curl));
  std::printf("transfer.cpu_ratio %.2f (target <= 1.25)\n", control.cpuSeconds / curl.cpuSeconds);
  if (!control.whole || !curl.whole) std::printf("transfer.warning a fetch came back incomplete\n");
  return 0;
}
