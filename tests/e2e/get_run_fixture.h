#pragma once

// What the end-to-end tests of reelcatch-get's failure paths share: a
// private copy of the program in a temp root of its own, a run over a list
// of page addresses, the printed list read back, and the whole temp root
// read back so a test can prove nothing appeared where it should not.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "support/process.h"
#include "support/scripted_server.h"

namespace reelcatch::test {

namespace fs = std::filesystem;

// One row of the list reelcatch-get prints at the end of a run.
struct ListedItem {
  std::string fileName;
  std::string status;
  std::string fileSize;
};

// Undoes the escaping of control characters in the printed list.
inline std::string Unescaped(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      out += text[i];
      continue;
    }
    char next = text[++i];
    if (next == 't') {
      out += '\t';
    } else if (next == 'n') {
      out += '\n';
    } else if (next == 'r') {
      out += '\r';
    } else if (next == 'x' && i + 2 < text.size()) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else if (next == 'u' && i + 4 < text.size() && text.compare(i + 1, 2, "00") == 0) {
      // U+0080-U+009F, in UTF-8.
      out += '\xc2';
      out += static_cast<char>(std::stoi(text.substr(i + 3, 2), nullptr, 16));
      i += 4;
    } else {
      out += next;
    }
  }
  return out;
}

// Reads the printed list, one row per address given, in order. Each row
// is found by its ID and address, so a file name holding tabs or line ends
// is still read whole. Missing rows come back empty, with status "?".
inline std::vector<ListedItem> ParseListed(const std::string& out,
                                           const std::vector<std::string>& addresses) {
  std::vector<size_t> starts;
  size_t from = 0;
  for (size_t i = 0; i < addresses.size(); ++i) {
    std::string prefix = std::to_string(i + 1) + "\t" + addresses[i] + "\t";
    size_t at = out.find(prefix, from);
    while (at != std::string::npos && at != 0 && out[at - 1] != '\n') {
      at = out.find(prefix, at + 1);
    }
    starts.push_back(at == std::string::npos ? at : at + prefix.size());
    if (at != std::string::npos) from = at + prefix.size();
  }
  std::vector<ListedItem> items;
  for (size_t i = 0; i < starts.size(); ++i) {
    if (starts[i] == std::string::npos) {
      items.push_back({"", "?", ""});
      continue;
    }
    size_t end = out.size();
    if (i + 1 < starts.size() && starts[i + 1] != std::string::npos) {
      end = out.rfind(std::to_string(i + 2) + "\t", starts[i + 1]);
    }
    std::string row = out.substr(starts[i], end - starts[i]);
    if (!row.empty() && row.back() == '\n') row.pop_back();
    // Status and size never hold a tab; the name may.
    size_t sizeTab = row.rfind('\t');
    size_t statusTab = sizeTab == std::string::npos || sizeTab == 0 ? std::string::npos
                                                                    : row.rfind('\t', sizeTab - 1);
    if (statusTab == std::string::npos) {
      items.push_back({row, "?", ""});
      continue;
    }
    items.push_back({Unescaped(row.substr(0, statusTab)),
                     Unescaped(row.substr(statusTab + 1, sizeTab - statusTab - 1)),
                     Unescaped(row.substr(sizeTab + 1))});
  }
  return items;
}

inline std::string ReadBytes(const fs::path& path) {
  std::error_code error;
  auto size = fs::file_size(path, error);
  if (error) return {};
  std::string bytes(size, '\0');
  std::ifstream in(path, std::ios::binary);
  in.read(bytes.data(), static_cast<std::streamsize>(size));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A file's content as a short, comparable text.
inline std::string DescribeContent(const std::string& bytes) {
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  std::ostringstream text;
  text << "file " << bytes.size() << " bytes #" << std::hex << hash;
  return text.str();
}

// Every entry under a folder by its relative path: "dir", "link -> target"
// or the file's described content. Links are never followed.
using Tree = std::map<std::string, std::string>;

inline Tree ReadTree(const fs::path& root) {
  Tree tree;
  std::error_code error;
  if (!fs::exists(fs::symlink_status(root, error))) return tree;
  for (auto it = fs::recursive_directory_iterator(root, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    const fs::directory_entry& entry = *it;
    // Lexically: fs::relative would follow a link to where it leads.
    std::string name = entry.path().lexically_relative(root).string();
    fs::file_status status = entry.symlink_status();
    if (fs::is_symlink(status)) {
      tree[name] = "link -> " + fs::read_symlink(entry.path()).string();
    } else if (fs::is_directory(status)) {
      tree[name] = "dir";
    } else if (fs::is_regular_file(status)) {
      tree[name] = DescribeContent(ReadBytes(entry.path()));
    } else {
      tree[name] = "other";
    }
  }
  return tree;
}

// Printable bytes: control characters and bytes above 0x7e escaped.
inline std::string Visible(const std::string& text) {
  std::string shown;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      shown += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      shown += hex;
    }
  }
  return shown;
}

// The entries that differ between what is and what should be.
inline std::string TreeDifference(const Tree& actual, const Tree& expected) {
  std::string report;
  for (const auto& [name, what] : actual) {
    auto other = expected.find(name);
    if (other == expected.end()) {
      report += "  unexpected " + Visible(name) + ": " + what + "\n";
    } else if (other->second != what) {
      report += "  changed " + Visible(name) + ": " + what + " (expected " + other->second + ")\n";
    }
  }
  for (const auto& [name, what] : expected) {
    if (!actual.contains(name)) report += "  missing " + Visible(name) + ": " + what + "\n";
  }
  return report;
}

// Waits until done() holds, looking again every few milliseconds; false
// when it still does not after limit.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(60)) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Each test runs its own copy of the program in a fresh temp root, so its
// private folder and settings are its own:
//   root/bin/reelcatch-get   the program
//   root/home                HOME and the XDG folders
//   root/run                 XDG_RUNTIME_DIR: the program makes its private
//                            folder "reelcatch" there, for the page file
//   root/videos              the download folder (made by the run)
class GetRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "reelcatch-e2e-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    fs::create_directories(root_ / "bin");
    fs::create_directories(root_ / "home");
    fs::create_directories(root_ / "run");
    fs::permissions(root_ / "run", fs::perms::owner_all);
    program_ = root_ / "bin" / "reelcatch-get";
    fs::copy_file(fs::path(REELCATCH_BINARY_DIR) / "reelcatch-get", program_);
    downloads_ = root_ / "videos";
  }

  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  std::vector<std::string> Env() const {
    std::vector<std::string> env = {"HOME=" + (root_ / "home").string(),
                                    "XDG_CONFIG_HOME=" + (root_ / "home" / ".config").string(),
                                    "XDG_CACHE_HOME=" + (root_ / "home" / ".cache").string(),
                                    "XDG_RUNTIME_DIR=" + (root_ / "run").string(),
                                    "REELCATCH_MEDIA_HOST=" + server_.Url(""),
                                    "LC_ALL=" + ProgramLocale()};
    env.insert(env.end(), extraEnv_.begin(), extraEnv_.end());
    return env;
  }

  // The private folder the program makes for its page file.
  fs::path PrivateFolder() const { return root_ / "run" / "reelcatch"; }

  RunResult Run(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
    std::vector<std::string> all = Env();
    all.insert(all.end(), env.begin(), env.end());
    ChildProcess child(program_.string(), args, all);
    RunResult result;
    result.status = child.Wait();
    result.out = child.Stdout();
    result.err = child.Stderr();
    return result;
  }

  // A quiet run of the download run over these page addresses into dir.
  RunResult Download(const fs::path& dir, const std::vector<std::string>& addresses,
                     const std::vector<std::string>& options = {}) {
    return Run(DownloadArgs(dir, addresses, options));
  }

  // The same run, started and left running.
  std::unique_ptr<ChildProcess> StartDownload(const fs::path& dir,
                                              const std::vector<std::string>& addresses,
                                              const ChildSetup& setup = {}) const {
    return std::make_unique<ChildProcess>(program_.string(), DownloadArgs(dir, addresses), Env(),
                                          setup);
  }

  // The arguments of a quiet run of the download run over these page
  // addresses into dir.
  static std::vector<std::string> DownloadArgs(const fs::path& dir,
                                               const std::vector<std::string>& addresses,
                                               const std::vector<std::string>& options = {}) {
    std::vector<std::string> args = {"-q", "-d", dir.string()};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back("--");
    args.insert(args.end(), addresses.begin(), addresses.end());
    return args;
  }

  // The temp root as it should be after a run that changed only the
  // download folder (to `downloads`); the run's page file is gone.
  Tree Expected(const Tree& before, const std::map<std::string, std::string>& downloads) const {
    Tree described;
    for (const auto& [name, bytes] : downloads) described[name] = DescribeContent(bytes);
    return ExpectedTree(before, described);
  }

  // The same with the download folder's entries given as ReadTree gives them.
  Tree ExpectedTree(const Tree& before, const Tree& downloads) const {
    Tree expected;
    for (const auto& [name, what] : before) {
      if (name != "videos" && !name.starts_with("videos/")) expected[name] = what;
    }
    expected["videos"] = "dir";
    for (const auto& [name, what] : downloads) expected["videos/" + name] = what;
    return expected;
  }

  // The temp root now, without the private folder the run made: only a
  // file left in it shows.
  Tree After() const {
    Tree tree = ReadTree(root_);
    auto folder = tree.find("run/reelcatch");
    if (folder != tree.end() && folder->second == "dir") tree.erase(folder);
    return tree;
  }

  ScriptedServer server_;
  // Added to the program's environment.
  std::vector<std::string> extraEnv_;
  fs::path root_;
  fs::path program_;
  fs::path downloads_;
};

// A page that the AngryAlien rule turns into exactly `link`.
inline Response EmbedPage(const std::string& link) {
  return Response::Ok("<html><body><embed src=\"" + link + "\" /></body></html>",
                      {{"Content-Type", "text/html"}});
}

}  // namespace reelcatch::test
