#include "platform/qt/watcher_channel.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <deque>
#include <map>

#include "platform/private_folder.h"
#include "platform/qt/qt_text.h"

namespace reelcatch {

namespace {

// Empty when there is no private folder: never a place others share.
QString InSocketFolder(const QString& name) {
  PrivateFolder folder = PrivateRuntimeFolder();
  if (!folder.Usable()) return {};
  return ToQString(folder.path) + QLatin1Char('/') + name;
}

}  // namespace

bool IsChannelNumber(const std::string& channel) {
  if (channel.empty() || channel.size() > 18) return false;
  for (char c : channel) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

QString WatcherChannelPath(const std::string& channel) {
  return InSocketFolder(QStringLiteral("channel-") + ToQString(channel));
}

QString WatcherControlPath() { return InSocketFolder(QStringLiteral("clip")); }

QString WatcherLockPath() { return InSocketFolder(QStringLiteral("clip.lock")); }

std::string WatcherFolderError() { return PrivateRuntimeFolder().error; }

struct WatcherChannel::Impl {
  struct LineBuffer {
    std::string partial;
    bool overlong = false;
  };

  Delivery deliver;
  // On the heap: when a delivery ends the channel, the server and its sockets
  // are still in the middle of a signal and may only go later.
  QLocalServer* server = new QLocalServer;
  QString error;
  std::map<QLocalSocket*, LineBuffer> buffers;
  std::deque<std::string> pending;
  bool delivering = false;
  // The delivery may run the event loop (the list refill yields) and may even
  // end the channel; this tells the draining loop whether it still may go on.
  std::shared_ptr<bool> alive = std::make_shared<bool>(true);

  void Accept() {
    std::shared_ptr<bool> stillAlive = alive;
    while (QLocalSocket* socket = server->nextPendingConnection()) {
      buffers[socket];
      QObject::connect(socket, &QLocalSocket::readyRead, server, [this, socket] { Read(socket); });
      QObject::connect(socket, &QLocalSocket::disconnected, server, [this, socket] {
        // Lines that came just before the end still count.
        auto found = buffers.find(socket);
        if (found != buffers.end()) Split(found->second, socket->readAll());
        buffers.erase(socket);
        socket->deleteLater();
        Drain();
      });
      // Lines that came with the connection itself.
      Read(socket);
      if (!*stillAlive) return;
    }
  }

  void Read(QLocalSocket* socket) {
    QPointer<QLocalSocket> guard(socket);
    std::shared_ptr<bool> stillAlive = alive;
    // A socket does not signal again while its signal is being handled, so
    // what came in while a delivery ran the event loop is read here.
    while (guard && guard->bytesAvailable() > 0) {
      auto found = buffers.find(socket);
      if (found == buffers.end()) return;
      Split(found->second, guard->readAll());
      Drain();
      if (!*stillAlive) return;
    }
  }

  void Split(LineBuffer& buffer, const QByteArray& data) {
    for (char c : data) {
      if (c == '\n') {
        if (!buffer.overlong) {
          if (!buffer.partial.empty() && buffer.partial.back() == '\r') buffer.partial.pop_back();
          if (!buffer.partial.empty()) pending.push_back(std::move(buffer.partial));
        }
        buffer.partial.clear();
        buffer.overlong = false;
      } else if (!buffer.overlong) {
        buffer.partial.push_back(c);
        if (buffer.partial.size() > kMaxLineBytes) {
          buffer.overlong = true;
          buffer.partial.clear();
        }
      }
    }
  }

  // One delivery at a time and in order, even when a delivery lets the event
  // loop read more lines.
  void Drain() {
    if (delivering) return;
    delivering = true;
    std::shared_ptr<bool> stillAlive = alive;
    while (!pending.empty()) {
      std::string address = std::move(pending.front());
      pending.pop_front();
      if (deliver) deliver(std::move(address));
      if (!*stillAlive) return;
    }
    delivering = false;
  }
};

WatcherChannel::WatcherChannel(const std::string& channel, Delivery deliver)
    : impl_(std::make_unique<Impl>()) {
  impl_->deliver = std::move(deliver);
  if (!IsChannelNumber(channel)) {
    impl_->error = QStringLiteral("not a channel number: ") + ToQString(channel);
    return;
  }
  const QString path = WatcherChannelPath(channel);
  if (path.isEmpty()) {
    impl_->error = ToQString("no private folder (" + WatcherFolderError() + ")");
    return;
  }
  // The number is this process's own, so a socket left under it is stale.
  QLocalServer::removeServer(path);
  QLocalServer* server = impl_->server;
  server->setSocketOptions(QLocalServer::UserAccessOption);
  QObject::connect(server, &QLocalServer::newConnection, server,
                   [impl = impl_.get()] { impl->Accept(); });
  if (!server->listen(path)) impl_->error = server->errorString();
}

WatcherChannel::~WatcherChannel() {
  *impl_->alive = false;
  QLocalServer* server = impl_->server;
  server->disconnect();
  // Closing the connections is what tells the watchers to end.
  for (auto& [socket, buffer] : impl_->buffers) {
    QObject::disconnect(socket, nullptr, server, nullptr);
    socket->abort();
  }
  server->close();
  if (impl_->delivering) {
    server->deleteLater();
  } else {
    delete server;
  }
}

bool WatcherChannel::Listening() const { return impl_->server->isListening(); }

std::string WatcherChannel::ErrorText() const { return ToStdString(impl_->error); }

std::size_t WatcherChannel::Connections() const { return impl_->buffers.size(); }

}  // namespace reelcatch
