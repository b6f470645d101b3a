#pragma once

// Shared pieces of the Download control's network tests.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "support/fakes.h"
#include "support/scripted_server.h"
#include "transfer/download.h"

namespace reelcatch {

// Writes every event as one line ("progress 41", "complete", ...) and lets a
// test act from inside the handlers.
class RecordingEvents : public DownloadEvents {
 public:
  void DownloadComplete() override {
    log.push_back("complete");
    if (onClosing) onClosing();
  }
  void DownloadProgress(int64_t& lProgress) override {
    log.push_back("progress " + std::to_string(lProgress));
    if (onProgress) onProgress(lProgress);
  }
  void DownloadError(std::string& sErrorDescription) override {
    log.push_back("error " + sErrorDescription);
    if (onClosing) onClosing();
  }
  void DownloadCancelled(int64_t& lPosition) override {
    log.push_back("cancelled " + std::to_string(lPosition));
    if (onClosing) onClosing();
  }

  std::vector<std::string> log;
  std::function<void(int64_t)> onProgress;
  std::function<void()> onClosing;
};

// A folder of its own for each test, removed afterwards.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "reelcatch-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteWhole(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// An address on 127.0.0.1 where nothing listens.
inline std::string DeadUrl(const std::string& path) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  bind(fd, reinterpret_cast<sockaddr*>(&address), length);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + path;
}

class TransferTest : public testing::Test {
 protected:
  TransferTest() { control.SetEvents(&events); }

  test::ScriptedServer server;
  CountingEventLoop loop;
  Download control{loop};
  RecordingEvents events;
  TempDir dir;
};

}  // namespace reelcatch
