#include "app/clip/watcher_control.h"

#include <unistd.h>

#include <QLocalSocket>
#include <QLockFile>
#include <sstream>

#include "platform/process_start.h"
#include "platform/qt/watcher_channel.h"

namespace reelcatch {

namespace {

constexpr int kConnectMs = 2000;
constexpr int kAnswerMs = 5000;
constexpr std::size_t kMaxControlLine = 256;

// The first line the peer sends back, or empty when it closes or is silent.
std::string ReadAnswer(QLocalSocket& socket) {
  QByteArray answer;
  while (!answer.contains('\n') && socket.state() == QLocalSocket::ConnectedState) {
    if (!socket.waitForReadyRead(kAnswerMs)) break;
    answer += socket.readAll();
  }
  answer += socket.readAll();
  return answer.left(answer.indexOf('\n')).toStdString();
}

// Asks the watcher behind the control socket to end; its answer, or empty
// when there is none.
std::string AskToEnd(const LaunchKey& key) {
  const QString path = WatcherControlPath();
  if (path.isEmpty()) return {};
  QLocalSocket socket;
  socket.connectToServer(path);
  if (!socket.waitForConnected(kConnectMs)) return {};
  socket.write(QByteArray::fromStdString(ExitMessage(key)));
  socket.flush();
  return ReadAnswer(socket);
}

}  // namespace

LaunchKey OwnLaunchKey() {
  return {ProcessStartTicks(getpid()).value_or(0), static_cast<long long>(getpid())};
}

std::string ExitMessage(const LaunchKey& key) {
  return "Exit " + std::to_string(key.started) + " " + std::to_string(key.pid) + "\n";
}

std::optional<LaunchKey> ParseExitMessage(const std::string& line) {
  std::istringstream words(line);
  std::string verb;
  LaunchKey key;
  std::string rest;
  if (!(words >> verb >> key.started >> key.pid) || verb != "Exit" || (words >> rest)) {
    return std::nullopt;
  }
  return key;
}

void SendExit() { AskToEnd(OwnLaunchKey()); }

WatcherControl::WatcherControl(std::function<void()> onExit)
    : onExit_(std::move(onExit)), key_(OwnLaunchKey()) {
  QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] { Accept(); });
}

WatcherControl::Outcome WatcherControl::Start() {
  const QString path = WatcherControlPath();
  if (path.isEmpty()) {
    error_ = QString::fromStdString("no private folder (" + WatcherFolderError() + ")");
    return Outcome::Failed;
  }
  // Two watchers starting together must not both find the name free.
  QLockFile lock(WatcherLockPath());
  lock.tryLock(10 * kAnswerMs);
  if (AskToEnd(key_) == "no") return Outcome::Superseded;
  // The one that was here has closed its socket by now, or it never answered.
  QLocalServer::removeServer(path);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (server_.listen(path)) return Outcome::Listening;
  error_ = server_.errorString();
  return Outcome::Failed;
}

void WatcherControl::Accept() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    lines_[socket];
    QObject::connect(socket, &QLocalSocket::readyRead, &server_,
                     [this, socket] { Answer(socket); });
    QObject::connect(socket, &QLocalSocket::disconnected, &server_, [this, socket] {
      lines_.erase(socket);
      socket->deleteLater();
    });
    if (socket->bytesAvailable() > 0) Answer(socket);
  }
}

void WatcherControl::Answer(QLocalSocket* socket) {
  auto found = lines_.find(socket);
  if (found == lines_.end()) return;
  std::string& line = found->second;
  line += socket->readAll().toStdString();
  std::size_t end = line.find('\n');
  if (end == std::string::npos) {
    if (line.size() > kMaxControlLine) socket->disconnectFromServer();
    return;
  }
  std::optional<LaunchKey> sender = ParseExitMessage(line.substr(0, end));
  line.clear();
  if (!sender) {
    socket->disconnectFromServer();
    return;
  }
  if (*sender <= key_) {
    socket->write("no\n");
    socket->flush();
    socket->disconnectFromServer();
    return;
  }
  // Give up the name before answering, so a successor that got "ok" can
  // listen without this one later removing its socket.
  server_.close();
  socket->write("ok\n");
  socket->flush();
  socket->waitForBytesWritten(kAnswerMs);
  onExit_();
}

}  // namespace reelcatch
