// The tray icon and its menu on the real desktop host, driving the real
// main window: the menu's mark, showing the window, starting and stopping
// a run, and ending the program.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QEventLoop>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "list/add_download_url.h"
#include "platform/qt/desktop_wiring.h"
#include "platform/qt/qt_host.h"
#include "qt_app.h"
#include "run/download_run.h"
#include "shell/cregister.h"
#include "shell/frm_main.h"
#include "shell/mod_settings.h"
#include "support/fake_ports.h"
#include "support/scripted_server.h"
#include "transfer/download.h"
#include "unit/shell_config_folder.h"

namespace reelcatch {
namespace {

namespace fs = std::filesystem;

constexpr const char* kCancelQuestion = "Are you sure that you want to cancel downloading?";

constexpr int kWaitMs = 5000;

class TrayTest : public testing::ConfigFolderTest {
 protected:
  void SetUp() override {
    ConfigFolderTest::SetUp();
    fs::create_directories(ProgramDir());
    for (const char* name : {"Main.qml", "reelcatch.png"}) {
      fs::copy_file(fs::path(REELCATCH_SOURCE_DIR) / "face" / name, fs::path(ProgramDir()) / name);
    }
    // Monitoring off: no watcher is started.
    ASSERT_TRUE(CRegister().REGSaveSetting(kHkeyCurrentUser, kSettingsKey, kUrlMonValue, "False"));

    host_ = std::make_unique<QtHost>(ProgramDir() + "/reelcatch.png");
    // The desktop's ports, but a connection whatever the machine has.
    Ports desktop = host_->GetPorts();
    Ports ports{desktop.movie, desktop.grid, desktop.dialogs, desktop.timers, desktop.shell,
                network_,      desktop.loop, desktop.window,  desktop.tray,   desktop.clipboard};
    frm_ = std::make_unique<FrmMain>(ports, ProgramDir(), "tray-test");
    WireDesktop(*host_, *frm_);
    frm_->Form_Load();
    host_->MainWindow().Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host_->MainWindow()));
  }

  void TearDown() override {
    Menu().hide();
    frm_.reset();
    host_.reset();
  }

  std::string ProgramDir() const { return temp_.Path() + "/program"; }
  QtTray& Tray() { return host_->SysTray(); }
  QMenu& Menu() { return Tray().Menu(); }
  QtWindow& Window() { return host_->MainWindow(); }

  QAction* Item(const char* caption) {
    for (QAction* action : Menu().actions()) {
      if (action->text() == QString::fromLatin1(caption)) return action;
    }
    ADD_FAILURE() << "no item " << caption;
    return nullptr;
  }

  // Minimised by the program, restored by the desktop as a taskbar does it;
  // Qt hears of that only through the window manager's reports.
  void MinimiseThenRestoreFromTheTaskbar() {
    Window().Minimize();
    if (!OnX11WithWmctrl()) {
      Window().windowHandle()->setWindowStates(Qt::WindowNoState);
      return;
    }
    // A user reaches for the taskbar after Qt has heard of the icon, and
    // goes on after it has heard of the restore.
    ASSERT_TRUE(QTest::qWaitFor([&] { return DesktopState() == "Iconic"; }, kWaitMs));
    QGuiApplication::sync();
    QProcess::execute(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-a"),
                                                 QString::number(Window().winId())});
    ASSERT_TRUE(QTest::qWaitFor([&] { return DesktopState() == "Normal"; }, kWaitMs));
    QGuiApplication::sync();
  }

  static bool OnX11WithWmctrl() {
    return QGuiApplication::platformName() == QStringLiteral("xcb") &&
           !QStandardPaths::findExecutable(QStringLiteral("wmctrl")).isEmpty();
  }

  // How a window manager shows the window: "Normal", "Iconic", or empty
  // when it does not show it at all.
  std::string DesktopState() {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(Window().winId()),
                                          QStringLiteral("WM_STATE")});
    if (!xprop.waitForFinished(10000)) return {};
    const QByteArray said = xprop.readAllStandardOutput();
    for (const char* state : {"Normal", "Iconic"}) {
      if (said.contains(state)) return state;
    }
    return {};
  }

  // Shown on the desktop, not as an icon; without a window manager Qt's own
  // account is all there is.
  bool ShownOnTheDesktop() { return !OnX11WithWmctrl() || DesktopState() == "Normal"; }

  bool HasTheFocus() {
    return Window().isVisible() && QGuiApplication::focusWindow() == Window().windowHandle();
  }

  // What the desktop reports of the icon.
  void Activate(QSystemTrayIcon::ActivationReason reason) { emit Tray().Icon().activated(reason); }

  // A click on an item of the open menu.
  void ClickItem(const char* caption) {
    QAction* action = Item(caption);
    ASSERT_TRUE(Menu().isVisible());
    QTest::mouseClick(&Menu(), Qt::LeftButton, {}, Menu().actionGeometry(action).center());
  }

  EventLog log_;
  FakeNetwork network_{log_};
  std::unique_ptr<QtHost> host_;
  std::unique_ptr<FrmMain> frm_;
};

TEST_F(TrayTest, RightPressOpensTheMenuMarkedAsMonitoringIsAndLeftPressDoesNot) {
  struct Case {
    const char* name;
    QSystemTrayIcon::ActivationReason reason;
    bool monitoring;
    bool windowHidden;
    bool opens;
  };
  const Case cases[] = {
      {"right press, monitoring on", QSystemTrayIcon::Context, true, false, true},
      {"right press, monitoring off", QSystemTrayIcon::Context, false, false, true},
      {"right press, window hidden", QSystemTrayIcon::Context, true, true, true},
      {"left press", QSystemTrayIcon::Trigger, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Menu().hide();
    frm_->CurrentSettings().URLMon = c.monitoring;
    // A stale mark, as the menu was left last time.
    Tray().SetMonitorChecked(!c.monitoring);
    if (c.windowHidden) {
      Window().Hide();
    } else {
      Window().Show();
    }

    Activate(c.reason);

    EXPECT_EQ(Menu().isVisible(), c.opens);
    if (c.opens) {
      EXPECT_EQ(Tray().MonitorChecked(), c.monitoring);
      EXPECT_FALSE(Item("Help")->isEnabled());
      EXPECT_FALSE(Item("About")->isEnabled());
      EXPECT_TRUE(Item("Exit Reelcatch")->isEnabled());
    }
    // Neither press shows a hidden window.
    EXPECT_EQ(Window().IsVisible(), !c.windowHidden);
  }
}

TEST_F(TrayTest, MonitorItemSwitchesMonitoringWithoutSavingIt) {
  for (bool expected : {true, false, true}) {
    SCOPED_TRACE(expected);
    Activate(QSystemTrayIcon::Context);
    EXPECT_EQ(Tray().MonitorChecked(), !expected);
    ClickItem("Monitor Video URL's in Clipboard");
    EXPECT_FALSE(Menu().isVisible());
    EXPECT_EQ(frm_->CurrentSettings().URLMon, expected);
    EXPECT_EQ(host_->Face().GetVariable("_root.autoToDownloadList_CB"), expected ? "1" : "0");
  }
  EXPECT_EQ(CRegister().REGGetSetting(kHkeyCurrentUser, kSettingsKey, kUrlMonValue, "?"), "False");
}

TEST_F(TrayTest, DoubleClickAndTheFirstItemBringTheWindowBackFromEveryState) {
  enum Start { kShown, kHidden, kMinimised, kHiddenWhileMinimised, kRestoredThenHidden, kCovered };
  enum Act { kDoubleClick, kLeftPress, kReelcatchItem };
  struct Case {
    const char* name;
    Start start;
    Act act;
    bool back;  // shown, not minimised, in front with the focus
  };
  const Case cases[] = {
      {"double-click, hidden", kHidden, kDoubleClick, true},
      {"double-click, minimised", kMinimised, kDoubleClick, true},
      {"double-click, hidden while minimised", kHiddenWhileMinimised, kDoubleClick, true},
      {"double-click, restored from the taskbar, then hidden", kRestoredThenHidden, kDoubleClick,
       true},
      {"double-click, behind another window", kCovered, kDoubleClick, true},
      {"double-click, shown", kShown, kDoubleClick, true},
      {"left press, hidden", kHidden, kLeftPress, false},
      {"first item, hidden", kHidden, kReelcatchItem, true},
      {"first item, minimised", kMinimised, kReelcatchItem, true},
      {"first item, restored from the taskbar, then hidden", kRestoredThenHidden, kReelcatchItem,
       true},
      {"first item, behind another window", kCovered, kReelcatchItem, true},
  };
  QWidget other;
  other.setWindowTitle(QStringLiteral("another program"));
  other.resize(700, 600);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    other.hide();
    Window().showNormal();
    Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return HasTheFocus(); }, kWaitMs));
    if (c.start == kMinimised || c.start == kHiddenWhileMinimised) Window().Minimize();
    if (c.start == kRestoredThenHidden) MinimiseThenRestoreFromTheTaskbar();
    if (c.start == kHidden || c.start == kHiddenWhileMinimised || c.start == kRestoredThenHidden)
      Window().Hide();
    if (c.start == kCovered) {
      other.show();
      other.activateWindow();
      ASSERT_TRUE(QTest::qWaitFor(
          [&] { return QGuiApplication::focusWindow() == other.windowHandle(); }, kWaitMs));
    }

    switch (c.act) {
      case kDoubleClick:
        Activate(QSystemTrayIcon::DoubleClick);
        break;
      case kLeftPress:
        Activate(QSystemTrayIcon::Trigger);
        break;
      case kReelcatchItem:
        Activate(QSystemTrayIcon::Context);
        ClickItem("Reelcatch");
        break;
    }

    if (c.back) {
      EXPECT_TRUE(QTest::qWaitFor([&] { return HasTheFocus(); }, kWaitMs));
      EXPECT_TRUE(Window().IsVisible());
      EXPECT_FALSE(Window().IsMinimized());
      EXPECT_TRUE(QTest::qWaitFor([&] { return ShownOnTheDesktop(); }, kWaitMs));
    } else {
      EXPECT_FALSE(Window().IsVisible());
    }
  }
}

TEST_F(TrayTest, DownloadItemStartsThroughTheTimerAndStopsThroughTheQuestion) {
  // A page whose server never answers keeps the run busy until it is stopped.
  auto server = std::make_unique<test::ScriptedServer>();
  server->SetDefault(test::Response::Silent());
  frm_->Control().SetTimeouts(3600, 3600);
  AddDownloadURL(server->Url("/youtube.com/watch?v=a"), frm_->List(), frm_->Display(),
                 frm_->Run().State());

  Activate(QSystemTrayIcon::Context);
  ClickItem("Start Downloading");
  // Not from inside the click: the start timer runs it.
  EXPECT_TRUE(frm_->Run().DownloadTimer().Enabled());
  EXPECT_FALSE(frm_->Run().State().Downloading);

  // The run holds the event loop from here until it ends, so the stop, the
  // answer and the bound on the wait come from timers.
  bool stopClicked = false;
  std::string question;
  QTimer stopper;
  QObject::connect(&stopper, &QTimer::timeout, [&] {
    // Once the page is being fetched.
    if (stopClicked || Tray().DownloadCaption() != captions::kStop) return;
    if (!server || server->Requests().empty()) return;
    stopClicked = true;
    Item(captions::kStop)->trigger();
  });
  QTimer answerer;
  QObject::connect(&answerer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    question = box->text().toStdString();
    if (QAbstractButton* yes = box->button(QMessageBox::Yes)) {
      yes->click();
    } else {
      box->reject();
    }
  });
  bool gaveUp = false;
  QTimer::singleShot(30000, [&] {
    // Taking the server down ends any fetch that the stop did not reach.
    gaveUp = true;
    server.reset();
  });
  stopper.start(10);
  answerer.start(10);

  ASSERT_TRUE(
      QTest::qWaitFor([&] { return stopClicked && !frm_->Run().State().Downloading; }, 40000));
  EXPECT_FALSE(gaveUp) << "the stop did not reach the page fetch";
  EXPECT_EQ(question, kCancelQuestion);
  EXPECT_TRUE(frm_->Run().State().CancelRequested);
  EXPECT_EQ(Tray().DownloadCaption(), captions::kStart);
  EXPECT_EQ(frm_->List().At(0).Status, texts::kCancelled);
}

// The exit runs in a process of its own, which says so on stderr once the
// click has returned and then runs the event loop until the program ends
// (exit code 3: it never did).
TEST_F(TrayTest, ExitItemEndsTheProgramAfterTheClickHasReturned) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto exitFromTheMenu = [this] {
    Activate(QSystemTrayIcon::Context);
    ClickItem("Exit Reelcatch");
    std::fputs("still running after the click\n", stderr);
    std::fflush(stderr);
    QEventLoop loop;
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    std::_Exit(3);
  };
  EXPECT_EXIT(exitFromTheMenu(), ::testing::ExitedWithCode(0), "still running after the click");
}

}  // namespace
}  // namespace reelcatch
