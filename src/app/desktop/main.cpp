// The desktop program: the engine's main window over the Qt host.
#include <QApplication>
#include <QIcon>
#include <string>

#include "platform/qt/qt_host.h"
#include "platform/qt/watcher_channel.h"
#include "shell/frm_main.h"

namespace {

using reelcatch::FrmMain;
using reelcatch::QtHost;

void WireFace(QtHost& host, FrmMain& frm) {
  host.Face().SetCommandHandler([&frm](const std::string& command, const std::string& args) {
    frm.Flash_FSCommand(command, args);
  });
  // Closing from the desktop (a key, the session) ends the program as the
  // face's own close button does.
  host.MainWindow().SetCloseHandler([&frm] { frm.EndMe(); });
  host.MainWindow().Hook().SetWheelHandler([&frm](int delta) { frm.MainWindowWheel(delta); });
}

void WireTray(QtHost& host, FrmMain& frm) {
  reelcatch::TrayHandlers handlers;
  handlers.mouseDown = [&frm](int button) { frm.SysTray_MouseDown(button, 0); };
  handlers.mouseDblClick = [&frm](int button) { frm.SysTray_MouseDblClick(button, 0); };
  handlers.reelcatch = [&frm] { frm.mnuReelcatch_Click(); };
  handlers.download = [&frm] { frm.mnuDownload_Click(); };
  handlers.monitor = [&frm] { frm.mnuMonitor_Click(); };
  handlers.exit = [&frm] { frm.mnuExit_Click(); };
  host.SysTray().SetHandlers(std::move(handlers));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(reelcatch::kProgramName));
  // The window may be hidden in the tray while a message box comes and
  // goes; only the program's own shutdown ends it.
  QApplication::setQuitOnLastWindowClosed(false);

  std::string programDir = QCoreApplication::applicationDirPath().toStdString();
  std::string iconPath = programDir + "/reelcatch.png";
  QApplication::setWindowIcon(QIcon(QString::fromStdString(iconPath)));

  std::string channel = std::to_string(QCoreApplication::applicationPid());
  QtHost host(iconPath);
  FrmMain frm(host.GetPorts(), programDir, channel);
  WireFace(host, frm);
  WireTray(host, frm);
  // Open before start-up, which may start the watcher that writes to it.
  reelcatch::WatcherChannel watcher(
      channel, [&frm](const std::string& text) { frm.txtMonitor_Change(text); });

  frm.Form_Load();
  host.MainWindow().Show();
  return QApplication::exec();
}
