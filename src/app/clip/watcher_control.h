#pragma once

#include <QLocalServer>
#include <compare>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace reelcatch {

// Orders launches of the watcher: when the process was started (in clock
// ticks since boot), then its id. "Exit" only ends watchers launched before
// it, so a quick off-and-on of monitoring cannot end the new watcher when
// the two launches reach the socket in the other order.
struct LaunchKey {
  unsigned long long started = 0;
  long long pid = 0;
  auto operator<=>(const LaunchKey&) const = default;
};

LaunchKey OwnLaunchKey();
std::string ExitMessage(const LaunchKey& key);
std::optional<LaunchKey> ParseExitMessage(const std::string& line);

// The "Exit" launch: asks the running watcher to end; returns at once when
// none runs.
void SendExit();

// The running watcher's control socket, one per user.
class WatcherControl {
 public:
  enum class Outcome { Listening, Superseded, Failed };

  explicit WatcherControl(std::function<void()> onExit);

  // Ends a watcher that is already running (one watcher per user is enough)
  // and listens in its place; Superseded when the running one is newer.
  Outcome Start();
  QString ErrorText() const { return error_; }

 private:
  void Accept();
  void Answer(QLocalSocket* socket);

  std::function<void()> onExit_;
  LaunchKey key_;
  QLocalServer server_;
  QString error_;
  std::map<QLocalSocket*, std::string> lines_;
};

}  // namespace reelcatch
