// What the desktop host costs on top of the engine: adding addresses one by
// one through the face's command, a large download with its bar in the
// grid, and how long the window waits for a turn of its event loop while
// that download runs. Each figure is measured against the engine alone in
// the same run.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "list/add_download_url.h"
#include "list/list_display.h"
#include "platform/memory_grid.h"
#include "platform/qt/qt_host.h"
#include "shell/cregister.h"
#include "shell/frm_main.h"
#include "shell/mod_settings.h"
#include "support/scripted_server.h"
#include "transfer/download.h"

namespace {

using reelcatch::FrmMain;
using reelcatch::QtHost;
using reelcatch::test::Response;
using reelcatch::test::ScriptedServer;
using Clock = std::chrono::steady_clock;

constexpr int kAdds = 2000;
constexpr uint64_t kBodySize = uint64_t{256} << 20;
constexpr int kRounds = 3;

class IdleLoop : public reelcatch::EventLoop {
 public:
  void DoEvents() override {}
};

class SilentDialogs : public reelcatch::Dialogs {
 public:
  reelcatch::MessageAnswer ShowMessage(const std::string&, reelcatch::MessageButtons,
                                       reelcatch::MessageIcon, const std::string&) override {
    return reelcatch::MessageAnswer::Ok;
  }
  std::string PickFolder(const std::string&) override { return {}; }
};

// A bench machine may have no network interface up.
class AlwaysConnected : public reelcatch::Network {
 public:
  bool IsConnected() override { return true; }
};

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string PageAddress(int n) {
  return "http://www.youtube.com/watch?v=bench" + std::to_string(n);
}

void Report(const char* name, double value, double target) {
  std::printf("%s %.2f (target <= %g) %s\n", name, value, target,
              value <= target ? "ok" : "MISSED");
}

// Lays out a program folder inside folder: the face and its icon, which lie
// beside the bench in the build folder. Gives the icon's path.
std::string MakeProgramFolder(const QTemporaryDir& folder) {
  QDir(folder.path()).mkpath("program");
  QDir built(QCoreApplication::applicationDirPath());
  QStringList face = built.entryList({"*.qml", "qmldir", "reelcatch.png"}, QDir::Files);
  if (!face.contains(QStringLiteral("Main.qml"))) std::printf("note: the face is missing\n");
  for (const QString& name : face) QFile::copy(built.filePath(name), folder.filePath("program/" + name));
  return folder.filePath("program/reelcatch.png").toStdString();
}

// The desktop program as it runs: its settings, program folder and
// download folder in a temporary folder, the face shown on the downloads
// page with the grid in front.
class Desktop {
 public:
  explicit Desktop(const QTemporaryDir& folder)
      : folder_(folder), host_(MakeProgramFolder(folder)) {
    reelcatch::CRegister settings;
    settings.REGSaveSetting(reelcatch::kHkeyCurrentUser, reelcatch::kSettingsKey,
                            reelcatch::kUrlMonValue, "False");
    settings.REGSaveSetting(reelcatch::kHkeyCurrentUser, reelcatch::kSettingsKey,
                            reelcatch::kDownloadDirValue, VideoFolder());

    reelcatch::Ports desktop = host_.GetPorts();
    reelcatch::Ports ports{desktop.movie, desktop.grid,     desktop.dialogs, desktop.timers,
                           desktop.shell, network_,         desktop.loop,    desktop.window,
                           desktop.tray,  desktop.clipboard};
    const std::string program = folder.filePath("program").toStdString();
    frm_ = std::make_unique<FrmMain>(ports, reelcatch::ProgramFolders{program, program}, "1");
    frm_->Form_Load();
    host_.Face().SetVariable("_root.page", "downloads");
    frm_->Flash_FSCommand("IDC_FS_Download", "");
    host_.MainWindow().Show();
    QCoreApplication::processEvents();
  }

  std::string VideoFolder() const { return folder_.filePath("videos").toStdString(); }
  QtHost& Host() { return host_; }
  FrmMain& Frm() { return *frm_; }

 private:
  const QTemporaryDir& folder_;
  AlwaysConnected network_;
  QtHost host_;
  std::unique_ptr<FrmMain> frm_;
};

// (a) Adds, one at a time, each followed by the list's refill.
double AddThroughFace() {
  QTemporaryDir folder;
  Desktop desktop(folder);
  auto start = Clock::now();
  for (int n = 0; n < kAdds; ++n) {
    desktop.Host().Face().SetVariable("_root.video_url", PageAddress(n));
    desktop.Frm().Flash_FSCommand("IDC_FS_addDownloadURL", "");
  }
  double seconds = Since(start);
  if (desktop.Frm().List().Items().size() != kAdds) std::printf("note: adds went missing\n");
  return seconds;
}

double AddThroughEngine() {
  reelcatch::DownloadList list;
  reelcatch::MemoryGrid grid;
  IdleLoop loop;
  SilentDialogs dialogs;
  reelcatch::ListDisplay display(list, grid, loop, dialogs);
  reelcatch::RunState state;
  display.FormatDownloadGrid(true);
  auto start = Clock::now();
  for (int n = 0; n < kAdds; ++n) reelcatch::AddDownloadURL(PageAddress(n), list, display, state);
  return Since(start);
}

struct Transfer {
  double seconds = 1e300;
  bool whole = true;
};

// (b) The download run of the desktop program, with the grid drawing the
// bar; (c) the window's turns meanwhile.
struct DesktopTransfer {
  Transfer transfer;
  double longestGap = 0;       // between two turns the engine gave the window
  double longestTimerGap = 0;  // between two ticks of a zero timer, painting included
  int turns = 0;
};

DesktopTransfer DownloadThroughDesktop(ScriptedServer& server) {
  QTemporaryDir folder;
  Desktop desktop(folder);
  FrmMain& frm = desktop.Frm();
  desktop.Host().Face().SetVariable("_root.video_url", server.Url("/angryalien.com/big"));
  frm.Flash_FSCommand("IDC_FS_addDownloadURL", "");

  DesktopTransfer result;
  QElapsedTimer sinceTick;
  QTimer ticker;
  ticker.setInterval(0);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    if (sinceTick.isValid()) {
      result.longestTimerGap =
          std::max(result.longestTimerGap, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
    }
    sinceTick.start();
  });
  ticker.start();
  desktop.Host().Loop().ResetGaps();
  auto start = Clock::now();
  // With no run going, the stop command starts one at once.
  frm.Flash_FSCommand("IDC_FS_stopDownload", "");
  result.transfer.seconds = Since(start);
  ticker.stop();
  result.longestGap =
      std::chrono::duration<double, std::milli>(desktop.Host().Loop().LongestGap()).count();
  result.turns = desktop.Host().Loop().Turns();

  std::error_code error;
  auto size = std::filesystem::file_size(desktop.VideoFolder() + "/big.flv", error);
  result.transfer.whole = frm.List().At(0).Status == "Complete" && !error && size == kBodySize;
  std::filesystem::remove(desktop.VideoFolder() + "/big.flv", error);
  return result;
}

Transfer DownloadThroughEngine(ScriptedServer& server, const std::string& path) {
  IdleLoop loop;
  reelcatch::DownloadEvents events;
  reelcatch::Download control(loop);
  control.SetEvents(&events);
  control.SetUrl(server.Url("/media/big.flv"));
  control.SetLocalFile(path);
  Transfer transfer;
  auto start = Clock::now();
  control.RequestInformation();
  bool complete = control.StartDownload();
  transfer.seconds = Since(start);
  std::error_code error;
  transfer.whole = complete && std::filesystem::file_size(path, error) == kBodySize;
  std::filesystem::remove(path, error);
  return transfer;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir home;
  // The settings of the program's runs here stay out of the user's own.
  qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
  qputenv("HOME", home.filePath("home").toUtf8());
  QApplication app(argc, argv);

  // (a), best of a few rounds each, taken in turns.
  double face = 1e300;
  double engine = 1e300;
  for (int round = 0; round < kRounds; ++round) {
    face = std::min(face, AddThroughFace());
    engine = std::min(engine, AddThroughEngine());
  }
  std::printf("gui.add_face_s %.3f (%d adds)\n", face, kAdds);
  std::printf("gui.add_engine_s %.3f (%d adds)\n", engine, kAdds);
  Report("gui.add_ratio", face / engine, 3);

  // (b), (c)
  ScriptedServer server;
  server.Route("/angryalien.com/big",
               Response::Ok("<embed src=\"" + server.Url("/media/big.flv") + "\" />",
                            {{"Content-Type", "text/html"}}));
  server.Route("/media/big.flv",
               Response::Head("HTTP/1.1 200 OK", {{"Content-Type", "video/x-flv"},
                                                  {"Content-Length", std::to_string(kBodySize)},
                                                  {"Connection", "close"}})
                   .Generate(kBodySize));
  QTemporaryDir engineFolder;
  std::string enginePath = engineFolder.filePath("big.flv").toStdString();
  Transfer best{};
  DesktopTransfer bestDesktop{};
  double longestGap = 0;
  double longestTimerGap = 0;
  bool whole = true;
  for (int round = 0; round < kRounds; ++round) {
    Transfer alone = DownloadThroughEngine(server, enginePath);
    DesktopTransfer desktop = DownloadThroughDesktop(server);
    whole = whole && alone.whole && desktop.transfer.whole;
    best.seconds = std::min(best.seconds, alone.seconds);
    if (round == 0 || desktop.transfer.seconds < bestDesktop.transfer.seconds)
      bestDesktop = desktop;
    longestGap = std::max(longestGap, desktop.longestGap);
    longestTimerGap = std::max(longestTimerGap, desktop.longestTimerGap);
  }
  double mib = static_cast<double>(kBodySize) / (1 << 20);
  std::printf("gui.download_desktop_mib_s %.1f\n", mib / bestDesktop.transfer.seconds);
  std::printf("gui.download_engine_mib_s %.1f\n", mib / best.seconds);
  std::printf("gui.download_turns %d\n", bestDesktop.turns);
  if (!whole) std::printf("note: a download did not end whole\n");
  Report("gui.download_ratio", bestDesktop.transfer.seconds / best.seconds, 1.25);
  Report("gui.longest_gap_ms", longestGap, 20);
  Report("gui.longest_timer_gap_ms", longestTimerGap, 20);
  return 0;
}
