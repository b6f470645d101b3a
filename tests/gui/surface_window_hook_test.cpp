// The window hook on the real window: what reaches the face of a right
// press, the menu key and other input, and how the wheel turns the grid.
#include <gtest/gtest.h>

#include <QQuickItem>
#include <QQuickWindow>
#include <QScrollBar>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "list/add_download_url.h"
#include "platform/qt/qt_host.h"
#include "qt_app.h"
#include "run/download_run.h"
#include "shell/cregister.h"
#include "shell/frm_main.h"
#include "shell/mod_settings.h"
#include "unit/shell_config_folder.h"

namespace reelcatch {
namespace {

namespace fs = std::filesystem;

// Points of the window (the grid lies at 40, 220, 575 x 178).
const QPoint kOverGrid(300, 330);
const QPoint kOverFace(320, 120);
const QPoint kBlankFace(600, 520);

// Records the input that reaches the face's content.
class InputSpy : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const char* kind = event->type() == QEvent::MouseButtonPress     ? "press"
                           : event->type() == QEvent::MouseButtonRelease ? "release"
                                                                         : "double-click";
        seen.push_back(std::string(kind) +
                       (mouse->button() == Qt::RightButton ? " right" : " left"));
        break;
      }
      case QEvent::KeyPress:
      case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        seen.push_back(std::string(event->type() == QEvent::KeyPress ? "key down " : "key up ") +
                       (key->key() == Qt::Key_Menu
                            ? "menu"
                            : QKeySequence(key->key()).toString().toStdString()));
        break;
      }
      case QEvent::Wheel:
        seen.push_back("wheel");
        break;
      default:
        break;
    }
    return false;
  }
  bool Saw(const std::string& entry) const {
    return std::find(seen.begin(), seen.end(), entry) != seen.end();
  }
  std::vector<std::string> seen;
};

// A wheel turn as the desktop delivers it: to the window, which hands it to
// the widget under the mouse and on to its parents while they ignore it.
void TurnWheel(QWidget& window, QPoint at, QPoint angle) {
  QWheelEvent event(QPointF(at), QPointF(window.mapToGlobal(at)), QPoint(), angle, Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QSpontaneKeyEvent::setSpontaneous(&event);
  QApplication::instance()->notify(window.windowHandle(), &event);
}

class WindowHookTest : public testing::ConfigFolderTest {
 protected:
  void SetUp() override {
    ConfigFolderTest::SetUp();
    fs::create_directories(ProgramDir());
    for (const char* name : {"Main.qml", "reelcatch.png"}) {
      fs::copy_file(fs::path(REELCATCH_SOURCE_DIR) / "face" / name, fs::path(ProgramDir()) / name);
    }
    // No watcher: monitoring is off in the settings.
    ASSERT_TRUE(CRegister().REGSaveSetting(kHkeyCurrentUser, kSettingsKey, kUrlMonValue, "False"));

    host_ = std::make_unique<QtHost>(ProgramDir() + "/reelcatch.png");
    frm_ = std::make_unique<FrmMain>(host_->GetPorts(), ProgramDir(), "hook-test");
    host_->Face().SetCommandHandler([this](const std::string& command, const std::string& args) {
      commands_.push_back(command);
      frm_->Flash_FSCommand(command, args);
    });
    host_->MainWindow().Hook().SetWheelHandler([this](int delta) {
      ++wheelCalls_;
      frm_->MainWindowWheel(delta);
    });
    host_->Face().quickWindow()->installEventFilter(&spy_);

    frm_->Form_Load();
    ASSERT_TRUE(host_->Face().Loaded());
    host_->MainWindow().Show();
    host_->MainWindow().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host_->MainWindow()));

    for (int i = 0; i < 40; ++i) {
      AddDownloadURL("http://www.youtube.com/watch?v=" + std::to_string(i), frm_->List(),
                     frm_->Display(), frm_->Run().State());
    }
  }

  void TearDown() override {
    frm_.reset();
    host_.reset();
  }

  std::string ProgramDir() const { return temp_.Path() + "/program"; }
  QWindow* Handle() { return host_->MainWindow().windowHandle(); }
  QTableView& Table() { return host_->DownloadGrid().View(); }

  // The downloads page, opened by a left click on its tab, shows the grid.
  void OpenDownloads() {
    auto* tab = host_->Face().rootObject()->findChild<QQuickItem*>("downloadsTab");
    ASSERT_NE(tab, nullptr);
    QPoint centre = tab->mapToScene(QPointF(tab->width() / 2, tab->height() / 2)).toPoint();
    QTest::mouseClick(Handle(), Qt::LeftButton, {}, centre);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host_->DownloadGrid().Frame().isVisible(); }, 5000));
    ASSERT_EQ(Table().model()->rowCount(), 40);
  }

  void FocusGrid() {
    Table().setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(host_->DownloadGrid().HasFocus());
  }

  void FocusFace() {
    host_->Face().setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(host_->Face().hasFocus());
    ASSERT_FALSE(host_->DownloadGrid().HasFocus());
  }

  int TopRow() { return Table().rowAt(0); }

  std::unique_ptr<QtHost> host_;
  std::unique_ptr<FrmMain> frm_;
  InputSpy spy_;
  std::vector<std::string> commands_;
  int wheelCalls_ = 0;
};

TEST_F(WindowHookTest, FaceSeesNeitherRightPressNorMenuKeyWhileHooked) {
  struct Case {
    const char* name;
    std::function<void(QWindow*)> act;
    std::vector<const char*> absentWhileHooked;
    std::vector<const char*> reaching;
  };
  const Case cases[] = {
      {"right press",
       [](QWindow* w) { QTest::mousePress(w, Qt::RightButton, {}, kBlankFace); },
       {"press right"},
       {}},
      {"right release",
       [](QWindow* w) { QTest::mouseRelease(w, Qt::RightButton, {}, kBlankFace); },
       {},
       {"release right"}},
      {"right double-click",
       [](QWindow* w) { QTest::mouseDClick(w, Qt::RightButton, {}, kBlankFace); },
       {"press right", "double-click right"},
       {"release right"}},
      {"left click",
       [](QWindow* w) { QTest::mouseClick(w, Qt::LeftButton, {}, kBlankFace); },
       {},
       {"press left", "release left"}},
      {"menu key",
       [](QWindow* w) { QTest::keyClick(w, Qt::Key_Menu); },
       {"key down menu"},
       {"key up menu"}},
      {"letter key",
       [](QWindow* w) { QTest::keyClick(w, Qt::Key_A); },
       {},
       {"key down A", "key up A"}},
  };
  for (bool hooked : {true, false}) {
    if (!hooked) host_->MainWindow().StopHook();
    FocusFace();
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (hooked ? ", hooked" : ", unhooked"));
      spy_.seen.clear();
      c.act(Handle());
      for (const char* entry : c.reaching) EXPECT_TRUE(spy_.Saw(entry)) << entry;
      for (const char* entry : c.absentWhileHooked) EXPECT_EQ(spy_.Saw(entry), !hooked) << entry;
    }
  }
}

TEST_F(WindowHookTest, LeftClicksStillWorkTheFace) {
  OpenDownloads();
  EXPECT_EQ(commands_, std::vector<std::string>{"IDC_FS_Download"});
  EXPECT_EQ(host_->Face().GetVariable("_root.page"), "downloads");
}

TEST_F(WindowHookTest, WheelScrollsTheFocusedGridOneRowPerTurn) {
  OpenDownloads();
  enum Focus { kGrid, kFace };
  struct Case {
    const char* name;
    Focus focus;
    QPoint at;
    QPoint angle;
    int rowsMoved;  // towards the end
    int calls;
    bool menuOpen = false;
  };
  const Case cases[] = {
      {"notch towards the user, over the grid", kGrid, kOverGrid, {0, -120}, 1, 1},
      {"notch away, over the grid", kGrid, kOverGrid, {0, 120}, -1, 1},
      {"three notches in one turn", kGrid, kOverGrid, {0, 360}, -1, 1},
      {"three notches towards the user", kGrid, kOverGrid, {0, -360}, 1, 1},
      {"a touchpad's small step", kGrid, kOverGrid, {0, -15}, 1, 1},
      {"over the face, grid focused", kGrid, kOverFace, {0, -120}, 1, 1},
      {"over the face, away", kGrid, kOverFace, {0, 120}, -1, 1},
      {"sideways turn", kGrid, kOverGrid, {-120, 0}, 0, 0},
      {"face focused, over the grid", kFace, kOverGrid, {0, -120}, 0, 0},
      {"face focused, over the face", kFace, kOverFace, {0, 120}, 0, 0},
      // An open menu takes the wheel, even though the grid keeps the focus.
      {"tray menu open", kGrid, kOverGrid, {0, -120}, 0, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.focus == kGrid) {
      FocusGrid();
    } else {
      FocusFace();
    }
    Table().verticalScrollBar()->setValue(10);
    int top = TopRow();
    ASSERT_EQ(top, 10);
    wheelCalls_ = 0;
    spy_.seen.clear();
    if (c.menuOpen) host_->SysTray().Menu().popup(QPoint(0, 0));

    TurnWheel(host_->MainWindow(), c.at, c.angle);
    host_->SysTray().Menu().hide();

    EXPECT_EQ(TopRow() - top, c.rowsMoved);
    EXPECT_EQ(wheelCalls_, c.calls);
    // Whatever the focus, the face still gets the turns made over it.
    EXPECT_EQ(spy_.Saw("wheel"), c.at == kOverFace);
  }
}

TEST_F(WindowHookTest, UnhookedWheelNoLongerReachesTheProgram) {
  OpenDownloads();
  host_->MainWindow().StopHook();
  FocusGrid();
  Table().verticalScrollBar()->setValue(10);
  spy_.seen.clear();
  TurnWheel(host_->MainWindow(), kOverFace, {0, -120});
  EXPECT_EQ(wheelCalls_, 0);
  EXPECT_EQ(TopRow(), 10);
  EXPECT_TRUE(spy_.Saw("wheel"));
}

// A hook taken down that was never put up, or put up twice, is harmless.
TEST(WindowHookLifetimeTest, StopBeforeStartAndStartTwice) {
  QtHost host;
  InputSpy spy;
  host.Face().quickWindow()->installEventFilter(&spy);
  host.MainWindow().Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&host.MainWindow()));
  auto rightPressReachesFace = [&] {
    spy.seen.clear();
    QTest::mousePress(&host.Face(), Qt::RightButton, {}, kBlankFace);
    QTest::mouseRelease(&host.Face(), Qt::RightButton, {}, kBlankFace);
    EXPECT_TRUE(spy.Saw("release right"));
    return spy.Saw("press right");
  };
  host.MainWindow().StopHook();
  EXPECT_TRUE(rightPressReachesFace());
  host.MainWindow().StartHook();
  host.MainWindow().StartHook();
  EXPECT_FALSE(rightPressReachesFace());
  host.MainWindow().StopHook();
  EXPECT_TRUE(rightPressReachesFace());
}

}  // namespace
}  // namespace reelcatch
