#include "platform/qt/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <cstring>

#include "platform/qt/qt_text.h"

namespace reelcatch {

namespace {

// How long a later start waits for the running one to answer; it may have
// just taken the lock and not be listening yet.
constexpr int kAnswerWaitMs = 5000;
constexpr unsigned long kRetryMs = 100;

std::vector<std::string> Lines(const QByteArray& message) {
  std::vector<std::string> lines;
  for (QByteArray line : message.split('\n')) {
    if (line.endsWith('\r')) line.chop(1);
    if (!line.isEmpty()) lines.push_back(line.toStdString());
  }
  return lines;
}

}  // namespace

SingleInstance::SingleInstance(std::string folder, QObject* parent)
    : QObject(parent), folder_(std::move(folder)) {}

SingleInstance::~SingleInstance() {
  // Closing the server takes its socket file away; the lock goes with the fd.
  delete server_;
  if (lockFd_ >= 0) close(lockFd_);
}

QString SingleInstance::SocketPath() const { return ToQString(folder_ + "/instance"); }

SingleInstance::Role SingleInstance::Claim(const std::vector<std::string>& addresses) {
  if (folder_.empty()) {
    error_ = "no private folder";
    return Role::kAlone;
  }
  std::string lockPath = folder_ + "/instance.lock";
  lockFd_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (lockFd_ < 0) {
    error_ = lockPath + ": " + std::strerror(errno);
    return Role::kAlone;
  }
  if (flock(lockFd_, LOCK_EX | LOCK_NB) == 0) return Listen();
  int error = errno;
  close(lockFd_);
  lockFd_ = -1;
  if (error != EWOULDBLOCK) {
    error_ = lockPath + ": " + std::strerror(error);
    return Role::kAlone;
  }
  return HandOver(addresses) ? Role::kHanded : Role::kNoAnswer;
}

SingleInstance::Role SingleInstance::Listen() {
  const QString path = SocketPath();
  // Whoever listened here before has ended: the lock was free.
  QLocalServer::removeServer(path);
  server_ = new QLocalServer;
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &SingleInstance::Accept);
  if (!server_->listen(path)) {
    error_ = ToStdString(path + QStringLiteral(": ") + server_->errorString());
    return Role::kAlone;
  }
  return Role::kFirst;
}

bool SingleInstance::HandOver(const std::vector<std::string>& addresses) {
  QDeadlineTimer deadline(kAnswerWaitMs);
  QLocalSocket socket;
  for (;;) {
    socket.connectToServer(SocketPath());
    if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) break;
    if (deadline.hasExpired()) {
      error_ = "another Reelcatch is running but does not answer (" +
               ToStdString(socket.errorString()) + ")";
      return false;
    }
    QThread::msleep(kRetryMs);
  }
  QByteArray message;
  for (const std::string& address : addresses) message += QByteArray::fromStdString(address) + '\n';
  socket.write(message);
  while (socket.bytesToWrite() > 0 &&
         socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
  }
  if (socket.bytesToWrite() > 0) {
    error_ = "the running Reelcatch did not take the addresses";
    return false;
  }
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) {
    socket.waitForDisconnected(static_cast<int>(deadline.remainingTime()));
  }
  return true;
}

void SingleInstance::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    messages_[socket];
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      auto found = messages_.find(socket);
      if (found == messages_.end()) return;
      found->second += socket->readAll();
      // No list of addresses is that long: drop it whole.
      if (static_cast<std::size_t>(found->second.size()) > kMaxMessageBytes) {
        messages_.erase(found);
        socket->abort();
      }
    });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] { Finish(socket); });
    if (socket->state() == QLocalSocket::UnconnectedState) Finish(socket);
  }
}

// The message is complete when the later start hangs up.
void SingleInstance::Finish(QLocalSocket* socket) {
  socket->deleteLater();
  auto found = messages_.find(socket);
  if (found == messages_.end()) return;
  std::vector<std::string> addresses = Lines(found->second + socket->readAll());
  messages_.erase(found);
  // Adding may run the event loop: not from inside the socket's signal.
  QTimer::singleShot(0, this, [this, addresses = std::move(addresses)] {
    if (handler_) handler_(addresses);
  });
}

}  // namespace reelcatch
