// The desktop program: the engine's main window over the Qt host. Page
// addresses given as arguments are added to the list; when the program runs
// already, they are handed to it and this start ends.
#include <QApplication>
#include <QIcon>
#include <QStringList>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/private_folder.h"
#include "platform/qt/desktop_wiring.h"
#include "platform/qt/qt_host.h"
#include "platform/qt/single_instance.h"
#include "platform/qt/watcher_channel.h"
#include "shell/frm_main.h"
#include "shell/program_folders.h"

namespace {

using reelcatch::SingleInstance;

constexpr const char* kUsage = "usage: reelcatch [PAGE-ADDRESS...]\n";

// The arguments after the program's name (Qt has taken its own options);
// false when one is an option, which the program has none of.
bool PageAddresses(const QStringList& arguments, std::vector<std::string>& addresses) {
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (arguments[i].startsWith(QLatin1Char('-'))) return false;
    addresses.push_back(arguments[i].toStdString());
  }
  return true;
}

// Whether this start goes on; says once on stderr why when it cannot be the
// only one, or cannot tell.
bool ClaimTheDesktop(SingleInstance& instance, const reelcatch::PrivateFolder& folder,
                     const std::vector<std::string>& addresses, int& status) {
  switch (instance.Claim(addresses)) {
    case SingleInstance::Role::kFirst:
      return true;
    case SingleInstance::Role::kHanded:
      status = 0;
      return false;
    case SingleInstance::Role::kNoAnswer:
      std::fprintf(stderr, "reelcatch: %s\n", instance.ErrorText().c_str());
      status = 1;
      return false;
    case SingleInstance::Role::kAlone:
      break;
  }
  // Without a private folder, the start-up problem says it with the rest.
  if (folder.Usable()) {
    std::fprintf(stderr,
                 "reelcatch: cannot make sure that only one Reelcatch runs (%s); a second start "
                 "will open a second window\n",
                 instance.ErrorText().c_str());
  }
  return true;
}

// What the program does without, told once; empty when nothing.
std::string StartUpProblem(const reelcatch::PrivateFolder& folder,
                           const reelcatch::WatcherChannel& watcher) {
  if (!folder.Usable()) {
    return "There is no private folder for Reelcatch (" + folder.error +
           "): clipboard monitoring is off, pages cannot be fetched, and a second start opens a "
           "second window.";
  }
  if (!watcher.Listening()) return "Clipboard monitoring is off: " + watcher.ErrorText();
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  // A file-size limit makes a write fail, which ends that download with a
  // reason, instead of killing the program.
  std::signal(SIGXFSZ, SIG_IGN);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(reelcatch::kProgramName));
  std::vector<std::string> addresses;
  if (!PageAddresses(QCoreApplication::arguments(), addresses)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  reelcatch::PrivateFolder folder = reelcatch::PrivateRuntimeFolder();
  SingleInstance instance(folder.path);
  int status = 0;
  if (!ClaimTheDesktop(instance, folder, addresses, status)) return status;
  // The window may be hidden in the tray while a message box comes and
  // goes; only the program's own shutdown ends it.
  QApplication::setQuitOnLastWindowClosed(false);

  reelcatch::ProgramFolders folders =
      reelcatch::FindProgramFolders(QCoreApplication::applicationDirPath().toStdString());
  std::string iconPath = folders.face + "/reelcatch.png";
  QApplication::setWindowIcon(QIcon(QString::fromStdString(iconPath)));

  std::string channel = std::to_string(QCoreApplication::applicationPid());
  // Open before start-up, which may start the watcher that writes to it;
  // deliveries come from the event loop, once the window exists.
  reelcatch::FrmMain* window = nullptr;
  reelcatch::WatcherChannel watcher(channel, [&window](const std::string& text) {
    if (window) window->txtMonitor_Change(text);
  });
  std::string problem = StartUpProblem(folder, watcher);
  reelcatch::QtHost host(iconPath);
  // No channel: no watcher is started, as it would have no one to tell.
  reelcatch::FrmMain frm(host.GetPorts(), folders, watcher.Listening() ? channel : "");
  window = &frm;
  reelcatch::WireDesktop(host, frm);
  instance.SetHandler([&host, &frm](const std::vector<std::string>& handed) {
    reelcatch::AddGivenAddresses(host, frm, handed);
  });

  frm.Form_Load();
  host.MainWindow().Show();
  if (!problem.empty()) {
    std::fprintf(stderr, "reelcatch: %s\n", problem.c_str());
    QTimer::singleShot(0, &host.MainWindow(), [&host, problem] {
      host.GetPorts().dialogs.ShowMessage(problem, reelcatch::MessageButtons::Ok,
                                          reelcatch::MessageIcon::Exclamation, "");
    });
  }
  if (!addresses.empty()) reelcatch::AddGivenAddresses(host, frm, addresses);
  return QApplication::exec();
}
