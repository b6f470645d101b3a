#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace reelcatch::test {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::vector<std::string>& env,
                           std::optional<uint64_t> fileSizeLimit) {
  int out[2], err[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
    for (const std::string& entry : env) {
      entry.find('=') == std::string::npos ? unsetenv(entry.c_str())
                                           : putenv(const_cast<char*>(entry.c_str()));
    }
    // An ignored signal stays ignored across exec.
    if (fileSizeLimit) signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = fileSizeLimit.value_or(limit.rlim_cur);
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    if (setrlimit(RLIMIT_FSIZE, &limit) == 0) execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  fds_[0] = out[0];
  fds_[1] = err[0];
  for (int fd : fds_) fcntl(fd, F_SETFL, O_NONBLOCK);
}

ChildProcess::~ChildProcess() {
  Signal(SIGKILL);
  if (status_ == -1 && pid_ > 0) waitpid(pid_, nullptr, 0);
  for (int fd : fds_) close(fd);
}

void ChildProcess::Signal(int signal) {
  if (pid_ > 0 && status_ == -1) kill(pid_, signal);
}

void ChildProcess::Pump() {
  pollfd waits[2] = {{fds_[0], POLLIN, 0}, {fds_[1], POLLIN, 0}};
  poll(waits, 2, 10);
  std::string* into[2] = {&out_, &err_};
  char buffer[65536];
  for (int i = 0; i < 2; ++i) {
    for (ssize_t got; (got = read(fds_[i], buffer, sizeof buffer)) > 0;) {
      into[i]->append(buffer, static_cast<size_t>(got));
    }
  }
}

int ChildProcess::Wait(std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  for (int raw = 0; status_ == -1;) {
    Pump();
    if (waitpid(pid_, &raw, WNOHANG) == pid_) {
      status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    } else if (std::chrono::steady_clock::now() > deadline) {
      Signal(SIGKILL);
      waitpid(pid_, nullptr, 0);
      status_ = -2;
      return -1;
    }
  }
  // The pipes may still hold the last output.
  for (int i = 0; i < 3; ++i) Pump();
  return status_;
}

bool ChildProcess::WaitForStderr(const std::string& text, std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (err_.find(text) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    Pump();
  }
  return err_.find(text) != std::string::npos;
}

}  // namespace reelcatch::test
