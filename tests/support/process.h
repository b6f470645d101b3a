#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace reelcatch::test {

// A program started by a test, with its output collected.
class ChildProcess {
 public:
  // env entries ("NAME=value") are added to the test's own environment, in
  // order; a bare "NAME" removes one. Past a file size limit a write fails
  // (SIGXFSZ is ignored).
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::vector<std::string>& env = {},
               std::optional<uint64_t> fileSizeLimit = std::nullopt);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  void Signal(int signal);
  pid_t Pid() const { return pid_; }
  // The exit status (128 + signal when killed), or -1 when it did not end
  // within limit (it is killed then).
  int Wait(std::chrono::milliseconds limit = std::chrono::seconds(120));
  // Reads the output that arrived so far, waiting a little for more.
  void Pump();
  const std::string& Stdout() const { return out_; }
  const std::string& Stderr() const { return err_; }
  // False when stderr does not hold text within limit.
  bool WaitForStderr(const std::string& text, std::chrono::milliseconds limit);

 private:
  pid_t pid_ = -1;
  int fds_[2] = {-1, -1};
  std::string out_;
  std::string err_;
  int status_ = -1;
};

}  // namespace reelcatch::test
