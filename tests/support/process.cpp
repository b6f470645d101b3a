#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

namespace reelcatch::test {

namespace {

void ReadAvailable(int fd, std::string& into) {
  if (fd < 0) return;
  char buffer[65536];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0) return;
    into.append(buffer, static_cast<size_t>(got));
  }
}

}  // namespace

std::string ProgramLocale() {
  const char* locale = std::getenv("LC_ALL");
  return locale != nullptr && *locale != '\0' ? locale : "C";
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::vector<std::string>& env, const ChildSetup& setup) {
  int out[2];
  int err[2];
  if (pipe(out) != 0 || pipe(err) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, STDIN_FILENO);
    close(out[0]);
    close(err[0]);
    for (const std::string& entry : env) {
      if (entry.find('=') == std::string::npos) {
        unsetenv(entry.c_str());
      } else {
        putenv(const_cast<char*>(entry.c_str()));
      }
    }
    // Ignored signals stay ignored across exec.
    if (setup.ignoreFileSizeSignal) signal(SIGXFSZ, SIG_IGN);
    if (setup.fileSizeLimit) {
      rlimit limit{};
      getrlimit(RLIMIT_FSIZE, &limit);
      limit.rlim_cur = static_cast<rlim_t>(*setup.fileSizeLimit);
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  outFd_ = out[0];
  errFd_ = err[0];
  fcntl(outFd_, F_SETFL, O_NONBLOCK);
  fcntl(errFd_, F_SETFL, O_NONBLOCK);
}

ChildProcess::~ChildProcess() {
  if (status_ == -1 && pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (outFd_ >= 0) close(outFd_);
  if (errFd_ >= 0) close(errFd_);
}

void ChildProcess::Signal(int signal) {
  if (pid_ > 0 && status_ == -1) kill(pid_, signal);
}

void ChildProcess::Pump() {
  pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
  poll(fds, 2, 10);
  ReadAvailable(outFd_, out_);
  ReadAvailable(errFd_, err_);
}

int ChildProcess::Wait(std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (status_ == -1) {
    Pump();
    int raw = 0;
    pid_t done = waitpid(pid_, &raw, WNOHANG);
    if (done == pid_) {
      status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
      break;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid_, SIGKILL);
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
  while (err_.find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Pump();
  }
  return true;
}

}  // namespace reelcatch::test
