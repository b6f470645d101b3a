#pragma once

#include <QObject>
#include <QString>
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace reelcatch {

// One desktop program per user. The first start holds a lock in the user's
// private folder for as long as it runs and listens on a socket beside it;
// a later start finds the lock taken, hands its page addresses over through
// the socket (one per line) and ends. Two programs would otherwise share the
// one clipboard watcher and the settings, and stop each other's monitoring.
class SingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class Role {
    kFirst,     // this is the program that runs
    kHanded,    // the running one took the addresses; this one ends
    kAlone,     // no check is possible here (see ErrorText); this one runs
    kNoAnswer,  // another one runs but does not answer (see ErrorText)
  };
  // A later start's addresses, in order; none when it only asked to be shown.
  using Handler = std::function<void(std::vector<std::string> addresses)>;
  static constexpr std::size_t kMaxMessageBytes = 1 << 20;

  // folder: the user's private folder; empty when there is none.
  explicit SingleInstance(std::string folder, QObject* parent = nullptr);
  ~SingleInstance() override;
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  Role Claim(const std::vector<std::string>& addresses);
  // Called from a fresh turn of the event loop for each later start.
  void SetHandler(Handler handler) { handler_ = std::move(handler); }
  const std::string& ErrorText() const { return error_; }
  QString SocketPath() const;

 private:
  Role Listen();
  bool HandOver(const std::vector<std::string>& addresses);
  void Accept();
  void Finish(QLocalSocket* socket);

  std::string folder_;
  int lockFd_ = -1;
  QLocalServer* server_ = nullptr;
  std::map<QLocalSocket*, QByteArray> messages_;
  Handler handler_;
  std::string error_;
};

}  // namespace reelcatch
