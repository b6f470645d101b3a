// reelcatch-clip: watches the clipboard for video page addresses and hands
// each one to the main program over its channel.
//
//   reelcatch-clip <channel>   watch, until the main program goes away or
//                              a later "Exit" launch ends it
//   reelcatch-clip Exit        end the running watcher, if any
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QMimeData>
#include <iostream>
#include <string>

#include "app/clip/clipboard_sieve.h"
#include "app/clip/watcher_control.h"
#include "platform/qt/watcher_channel.h"

namespace {

using namespace reelcatch;

constexpr int kConnectMs = 5000;

int Usage() {
  std::cerr << "usage: reelcatch-clip <channel number> | Exit\n";
  return 2;
}

// Password managers mark what they copy so that clipboard tools leave it be.
bool IsSecret(const QMimeData& mime) {
  static const QString hint = QStringLiteral("x-kde-passwordManagerHint");
  return mime.hasFormat(hint) && mime.data(hint).trimmed() == "secret";
}

std::optional<std::string> Examine(ClipboardSieve& sieve) {
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
  if (!mime) return std::nullopt;
  if (IsSecret(*mime)) return sieve.Take({}, true);
  return sieve.Take(mime->text().toStdString(), false);
}

int Watch(int argc, char** argv, const std::string& channelNumber) {
  QGuiApplication app(argc, argv);
  const QString platform = QGuiApplication::platformName();
  if (platform != QStringLiteral("xcb")) {
    std::cerr << "reelcatch-clip: on this desktop (" << platform.toStdString()
              << ") the clipboard may only be seen while a window of ours has focus;"
                 " copied addresses may not arrive\n";
  }

  const QString path = WatcherChannelPath(channelNumber);
  if (path.isEmpty()) {
    // Never a shared place, where another user could listen in our stead.
    std::cerr << "reelcatch-clip: no private folder (" << WatcherFolderError() << ")\n";
    return 1;
  }
  QLocalSocket channel;
  channel.connectToServer(path);
  if (!channel.waitForConnected(kConnectMs)) {
    // Qt calls a missing socket an "invalid name", which misleads.
    const std::string why = channel.error() == QLocalSocket::ServerNotFoundError
                                ? std::string("nothing listens there")
                                : channel.errorString().toStdString();
    std::cerr << "reelcatch-clip: cannot reach channel " << channelNumber << ": " << why << "\n";
    return 1;
  }
  // Without the main program there is no one to deliver to.
  QObject::connect(&channel, &QLocalSocket::disconnected, &app, &QCoreApplication::quit);

  // What is on the clipboard already was copied before monitoring began.
  // Watch before listening for Exit: once it can be reached, it sees copies.
  ClipboardSieve sieve;
  Examine(sieve);
  QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, &app, [&] {
    if (std::optional<std::string> address = Examine(sieve)) {
      channel.write(QByteArray::fromStdString(*address + "\n"));
      channel.flush();
    }
  });

  WatcherControl control([] { QCoreApplication::quit(); });
  switch (control.Start()) {
    case WatcherControl::Outcome::Superseded:
      return 0;
    case WatcherControl::Outcome::Failed:
      std::cerr << "reelcatch-clip: cannot listen for Exit: " << control.ErrorText().toStdString()
                << "\n";
      return 1;
    case WatcherControl::Outcome::Listening:
      break;
  }
  if (channel.state() != QLocalSocket::ConnectedState) return 0;
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return Usage();
  const std::string argument = argv[1];
  if (argument == "Exit") {
    // No display is needed just to send a word.
    QCoreApplication app(argc, argv);
    SendExit();
    return 0;
  }
  if (!IsChannelNumber(argument)) return Usage();
  return Watch(argc, argv, argument);
}
