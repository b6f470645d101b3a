#pragma once

#include <QString>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace reelcatch {

// True for the channel numbers the watcher accepts: 1 to 18 decimal digits.
bool IsChannelNumber(const std::string& channel);

// Where the sockets live: the user's private folder, which only the user can
// enter. All are empty when there is none (WatcherFolderError says why).
QString WatcherChannelPath(const std::string& channel);
// The running watcher listens here for "Exit".
QString WatcherControlPath();
// Held by a starting watcher while it takes over from a running one.
QString WatcherLockPath();
std::string WatcherFolderError();

// The main program's end of the clipboard watcher's channel: a local socket
// that only the same user may open. The watcher writes one address per line
// (UTF-8); every complete, non-empty line is handed to the delivery on the
// thread that made the channel (the main thread). Lines longer than
// kMaxLineBytes are dropped whole, as no address is that long.
class WatcherChannel {
 public:
  using Delivery = std::function<void(std::string)>;
  static constexpr std::size_t kMaxLineBytes = 8192;

  WatcherChannel(const std::string& channel, Delivery deliver);
  ~WatcherChannel();
  WatcherChannel(const WatcherChannel&) = delete;
  WatcherChannel& operator=(const WatcherChannel&) = delete;

  bool Listening() const;
  std::string ErrorText() const;
  // Watchers connected right now.
  std::size_t Connections() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace reelcatch
