#pragma once

// What the tests of reelcatch-get share: runs of the real program in a temp
// root of its own, the list it prints read back, and the whole root read
// back, so a test can prove that nothing appeared where it should not.
//   root/home    HOME and the XDG folders
//   root/run     XDG_RUNTIME_DIR, where the program makes its private folder
//   root/videos  the download folder

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/scripted_server.h"
#include "support/temp_dir.h"

namespace reelcatch::test {

// The locale the programs run in: the test's own LC_ALL when it was given
// one (the suite's run under a decimal-comma locale), else C.
inline std::string ProgramLocale() {
  return std::getenv("LC_ALL") && *std::getenv("LC_ALL") ? std::getenv("LC_ALL") : "C";
}

// A file's content as a short, comparable text.
inline std::string Describe(const std::string& bytes) {
  return "file " + std::to_string(bytes.size()) + " #" +
         std::to_string(std::hash<std::string>{}(bytes));
}

// Every entry under a folder by its relative path: "dir", "link -> target",
// "other" or the file described. Links are never followed.
using Tree = std::map<std::string, std::string>;

inline Tree ReadTree(const fs::path& root) {
  Tree tree;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    fs::file_status status = it->symlink_status();
    tree[it->path().lexically_relative(root)] =
        fs::is_symlink(status)        ? "link -> " + fs::read_symlink(it->path()).string()
        : fs::is_directory(status)    ? "dir"
        : fs::is_regular_file(status) ? Describe(ReadFile(it->path()))
                                      : "other";
  }
  return tree;
}

// The printed list, a line per item: "name|status|size" as printed (escaped).
inline std::string Listed(const std::string& out) {
  std::istringstream lines(out);
  std::string listed;
  for (std::string line; std::getline(lines, line);) {
    line.erase(0, line.find('\t', line.find('\t') + 1) + 1);  // the number and the address
    std::replace(line.begin(), line.end(), '\t', '|');
    listed += line + "\n";
  }
  return listed;
}

class GetTest : public ::testing::Test {
 protected:
  GetTest() {
    fs::create_directories(root / "home");
    fs::create_directories(root / "run");
    fs::permissions(root / "run", fs::perms::owner_all);
  }
  // A quiet run over these addresses into the download folder.
  std::vector<std::string> Args(const std::vector<std::string>& addresses,
                                std::vector<std::string> options = {}) const {
    options.insert(options.begin(), {"-q", "-d", videos.string()});
    options.push_back("--");
    options.insert(options.end(), addresses.begin(), addresses.end());
    return options;
  }
  std::vector<std::string> Env(std::vector<std::string> more = {}) const {
    const std::string home = (root / "home").string();
    more.insert(more.begin(),
                {"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config",
                 "XDG_CACHE_HOME=" + home + "/.cache", "XDG_RUNTIME_DIR=" + (root / "run").string(),
                 "REELCATCH_MEDIA_HOST=" + server.Url(""), "LC_ALL=" + ProgramLocale()});
    return more;
  }
  std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& args,
                                      const std::vector<std::string>& env = {},
                                      std::optional<uint64_t> fileSizeLimit = {}) const {
    return std::make_unique<ChildProcess>(kProgram, args, Env(env), fileSizeLimit);
  }
  // The child once it has ended.
  std::unique_ptr<ChildProcess> Run(const std::vector<std::string>& args) {
    auto child = Start(args);
    child->Wait();
    return child;
  }
  // Waits, reading the child's output, until done() holds.
  static void WaitFor(ChildProcess& child, const std::function<bool()>& done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done() && std::chrono::steady_clock::now() < deadline) child.Pump();
  }
  // Serves a page the AngryAlien rule turns into the video at path; its address.
  std::string Page(const std::string& name, const std::string& path, Response video) {
    server.Route("/angryalien.com/" + name, Response::Ok("<embed src=\"{base}" + path + "\" />"));
    server.Route(path, std::move(video));
    return server.Url("/angryalien.com/" + name);
  }
  // The root now, without the private folder a run made: only a file left in it shows.
  Tree After() const {
    Tree tree = ReadTree(root.Path());
    if (auto folder = tree.find("run/reelcatch"); folder != tree.end() && folder->second == "dir") {
      tree.erase(folder);
    }
    return tree;
  }
  // The root as before, with these entries in the download folder instead.
  static Tree Expected(Tree before, const Tree& downloads) {
    std::erase_if(before, [](const auto& entry) { return entry.first.starts_with("videos"); });
    before["videos"] = "dir";
    for (const auto& [name, what] : downloads) before["videos/" + name] = what;
    return before;
  }

  static constexpr const char* kProgram = REELCATCH_BINARY_DIR "/reelcatch-get";
  ScriptedServer server;
  TempDir root;
  fs::path videos = root / "videos";
};

}  // namespace reelcatch::test
