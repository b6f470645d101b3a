// Soak: does a long session leak? Two figures sets, each with the open file
// descriptors and the resident memory at the start, the middle and the end:
//   - 500 small downloads in one run of the real reelcatch-get against a
//     local server, sampled from /proc while the child runs;
//   - a list of the largest size (32,767 items) in the list display over the
//     in-memory grid, refilled again and again as a run would, sampled here.
// Prints figures only. Usage: bench_soak [folder of reelcatch-get]; by
// default the folder of this program.

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "list/download_list.h"
#include "list/list_display.h"
#include "platform/memory_grid.h"
#include "support/scripted_server.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using reelcatch::test::Response;
using reelcatch::test::ScriptedServer;

constexpr int kDownloads = 500;
constexpr size_t kVideoSize = 16 * 1024;
constexpr int kListItems = reelcatch::DownloadList::kMaxItems;
constexpr int kRefills = 200;
constexpr int kWarmUpRefills = 5;

struct Sample {
  int fds = -1;
  long rssKb = -1;
  bool Valid() const { return fds >= 0 && rssKb > 0; }
};

int CountEntries(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return -1;
  int count = 0;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") ++count;
  }
  closedir(dir);
  return count;
}

// "self" or a process id. The directory read for the count holds one
// descriptor of its own when it reads itself.
Sample SampleOf(const std::string& process) {
  Sample sample;
  std::string base = "/proc/" + process;
  sample.fds = CountEntries(base + "/fd");
  if (process == "self" && sample.fds > 0) --sample.fds;
  std::ifstream status(base + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) sample.rssKb = std::stol(line.substr(6));
  }
  return sample;
}

// Finished files in the download folder (partial ones end in ".part").
int FinishedFiles(const fs::path& folder) {
  int count = 0;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    if (entry.path().extension() != ".part") ++count;
  }
  return count;
}

void Report(const std::string& prefix, const Sample& start, const Sample& middle,
            const Sample& end) {
  std::printf("%s.fd start %d middle %d end %d\n", prefix.c_str(), start.fds, middle.fds, end.fds);
  std::printf("%s.rss_kb start %ld middle %ld end %ld\n", prefix.c_str(), start.rssKb, middle.rssKb,
              end.rssKb);
  std::printf("%s.fd_growth %d (target 0)\n", prefix.c_str(), end.fds - start.fds);
  double growth = 100.0 * static_cast<double>(end.rssKb - start.rssKb) / start.rssKb;
  std::printf("%s.rss_growth_percent %.1f (target < 10)\n", prefix.c_str(), growth);
}

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string ProgramFolder(int argc, char** argv) {
  if (argc > 1) return argv[1];
  return fs::read_symlink("/proc/self/exe").parent_path().string();
}

class TempRoot {
 public:
  TempRoot() {
    std::string pattern = (fs::temp_directory_path() / "reelcatch-soak-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempRoot() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

// Starts program with args, its output into outFile, HOME and the XDG
// folders under home.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args, const fs::path& home,
            const fs::path& outFile) {
  std::vector<std::string> env = {"HOME=" + home.string(),
                                  "XDG_CONFIG_HOME=" + (home / ".config").string(),
                                  "XDG_CACHE_HOME=" + (home / ".cache").string(), "LC_ALL=C"};
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string text = *entry;
    std::string name = text.substr(0, text.find('='));
    if (name != "HOME" && name != "LC_ALL" && !name.starts_with("XDG_")) env.push_back(text);
  }
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::vector<std::string> argvText = {program};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argvp;
  for (std::string& arg : argvText) argvp.push_back(arg.data());
  argvp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argvp.data(), envp.data()) != 0) {
    pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int CountLines(const fs::path& file, const std::string& containing) {
  std::ifstream in(file);
  std::string line;
  int count = 0;
  while (std::getline(in, line)) {
    if (line.find(containing) != std::string::npos) ++count;
  }
  return count;
}

// 500 pages, each pointing at its own small video, all in one run.
bool SoakDownloads(const std::string& programFolder) {
  std::string source = (fs::path(programFolder) / "reelcatch-get").string();
  if (!fs::exists(source)) {
    std::fprintf(stderr, "soak: no reelcatch-get in %s\n", programFolder.c_str());
    return false;
  }
  TempRoot root;
  fs::create_directories(root.Path() / "bin");
  fs::create_directories(root.Path() / "home");
  // A private copy, so the page file beside it is ours.
  fs::path program = root.Path() / "bin" / "reelcatch-get";
  fs::copy_file(source, program);
  fs::path videos = root.Path() / "videos";

  ScriptedServer server;
  server.SetDefault(
      Response::Ok(ScriptedServer::GeneratedBody(kVideoSize), {{"Content-Type", "video/x-flv"}}));
  std::vector<std::string> args = {"-q", "-d", videos.string(), "--"};
  for (int i = 0; i < kDownloads; ++i) {
    std::string page = "/angryalien.com/" + std::to_string(i);
    server.Route(
        page, Response::Ok("<embed src=\"" + server.Url("/v/" + std::to_string(i)) + ".flv\" />"));
    args.push_back(server.Url(page));
  }

  auto started = std::chrono::steady_clock::now();
  pid_t pid = Spawn(program.string(), args, root.Path() / "home", root.Path() / "list.txt");
  if (pid < 0) return false;
  // Each phase's figure is taken over a window of finished files: the
  // fewest descriptors (one transfer holds a socket and a file of its own
  // only while it runs) and the most memory seen in it.
  const int window = kDownloads / 10;
  const int phaseStart[3] = {1, kDownloads / 2 - window / 2, kDownloads - window};
  Sample phases[3];
  for (Sample& phase : phases) phase = {1 << 30, -1};
  Sample peak{0, 0};
  int raw = 0;
  std::string process = std::to_string(pid);
  while (waitpid(pid, &raw, WNOHANG) == 0) {
    int finished = FinishedFiles(videos);
    Sample sample = SampleOf(process);
    for (int p = 0; p < 3 && sample.Valid(); ++p) {
      if (finished < phaseStart[p] || finished > phaseStart[p] + window) continue;
      phases[p].fds = std::min(phases[p].fds, sample.fds);
      phases[p].rssKb = std::max(phases[p].rssKb, sample.rssKb);
    }
    if (sample.Valid()) {
      peak.fds = std::max(peak.fds, sample.fds);
      peak.rssKb = std::max(peak.rssKb, sample.rssKb);
    }
    poll(nullptr, 0, 2);
  }
  double seconds = Since(started);
  int complete = CountLines(root.Path() / "list.txt", "\tComplete\t");

  std::printf("soak.downloads %d complete %d in %.1f s (exit %d)\n", kDownloads, complete, seconds,
              WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw));
  for (const Sample& phase : phases) {
    if (phase.rssKb < 0) {
      std::printf("soak: too few samples to compare\n");
      return false;
    }
  }
  Report("soak", phases[0], phases[1], phases[2]);
  std::printf("soak.peak fd %d rss_kb %ld\n", peak.fds, peak.rssKb);
  return complete == kDownloads;
}

class QuietDialogs : public reelcatch::Dialogs {
 public:
  reelcatch::MessageAnswer ShowMessage(const std::string&, reelcatch::MessageButtons,
                                       reelcatch::MessageIcon, const std::string&) override {
    return reelcatch::MessageAnswer::Ok;
  }
  std::string PickFolder(const std::string&) override { return {}; }
};

class IdleLoop : public reelcatch::EventLoop {
 public:
  void DoEvents() override {}
};

// The largest list, shown and then refilled after one status change each
// time, as a run over it would.
void SoakList() {
  reelcatch::DownloadList list;
  reelcatch::MemoryGrid grid;
  IdleLoop loop;
  QuietDialogs dialogs;
  reelcatch::ListDisplay display(list, grid, loop, dialogs);
  display.FormatDownloadGrid(true);
  for (int i = 0; i < kListItems; ++i) {
    list.AddItem("http://www.youtube.com/watch?v=" + std::to_string(i),
                 reelcatch::texts::kAutoDetect, reelcatch::texts::kWaiting,
                 reelcatch::texts::kUnknownSize);
  }
  display.FillDownloadList();
  // A refill builds the new copy while the old one is still shown, so the
  // first refills raise the high-water mark once; the start is taken after.
  Sample start, middle;
  auto started = std::chrono::steady_clock::now();
  for (int refill = 1; refill <= kRefills; ++refill) {
    if (refill == kWarmUpRefills + 1) start = SampleOf("self");
    int position = (refill * 163) % kListItems;
    list.Edit(position).Status = refill % 2 ? reelcatch::texts::kComplete : reelcatch::texts::kError;
    list.Edit(position).FileName = "video-" + std::to_string(refill) + ".flv";
    display.FillDownloadList();
    if (refill == kRefills / 2) middle = SampleOf("self");
  }
  double perRefillMs = Since(started) * 1000.0 / kRefills;
  Sample end = SampleOf("self");
  std::printf("soak.list_items %d rows %d refills %d at %.1f ms each (start after %d)\n",
              list.Count(), grid.RowCount(), kRefills, perRefillMs, kWarmUpRefills);
  Report("soak.list", start, middle, end);
}

}  // namespace

int main(int argc, char** argv) {
  SoakDownloads(ProgramFolder(argc, argv));
  SoakList();
  return 0;
}
