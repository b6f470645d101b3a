// The program's window on the desktop: the face's controls, the window hook,
// and the tray icon and menu. scripts/test-desktop-x11 runs TrayTest.* again
// under a window manager.
#include <QSpontaneKeyEvent>
#include <set>

#include "desktop.h"
#include "surface/fs_command.h"

namespace reelcatch {
namespace {

using testing::Strings;
using FaceTest = testing::Desktop;
using TrayTest = testing::Desktop;

TEST_F(FaceTest, EveryControlRaisesItsCommandAsTheRunAllows) {
  struct Case {
    const char *page, *item, *command;  // command: nullptr for none
    bool running = false;
  };
  // The controls with logic of their own.
  const Case cases[] = {
      {"home", "downloadsTab", "IDC_FS_Download"},
      {"downloads", "startButton", "IDC_FS_startDownload"},
      {"downloads", "stopButton", nullptr},
      {"downloads", "startButton", nullptr, true},
      {"downloads", "stopButton", "IDC_FS_stopDownload", true},
      {"downloads", "watchSwitch", "ID_FS_autoDownloadCheck"},
      {"downloads", "watchSwitch", "ID_FS_autoDownloadUncheck"},
      {"downloads", "retryButton", "ID_FS_retryFailed", true},
      {"downloads", "anySiteSwitch", "ID_FS_anySiteCheck"},
      {"downloads", "anySiteSwitch", "ID_FS_anySiteUncheck"},
      {"downloads", "openFolderButton", "ID_FS_openFolder"},
      {"about", "notifySwitch", "ID_FS_notifyUncheck"},
      {"about", "notifySwitch", "ID_FS_notifyCheck"},
  };
  Start();
  Strings commands;
  Face().SetCommandHandler([&](std::string command, std::string) { commands.push_back(command); });
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.item) + (c.running ? ", running" : ""));
    commands.clear();
    Face().SetVariable("_root.page", c.page);
    for (const char* name : {"_root.downloadBtn", "_root.startDownload", "_root.downloadTab"})
      Face().SetVariable(name, c.running ? "0" : "1");
    Click(c.item);
    // A press on the title bar, away from its buttons, ends every row.
    Click("titleBar", {150, 8});
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return commands.size() && commands.back() == "IDC_FS_Drag"; }));
    EXPECT_EQ(commands, (c.command ? Strings{c.command, "IDC_FS_Drag"} : Strings{"IDC_FS_Drag"}));
  }
}

// Points of the window: the grid lies at 40, 220, 575 x 178.
const QPoint kOverGrid(300, 330), kOverFace(320, 120);

// Tab and Shift+Tab go through every control of the page in reading order,
// the list in its place among them, each marked while it has the focus.
TEST_F(FaceTest, TabVisitsEveryControlInReadingOrderWithAFocusMark) {
  const Strings order = {"addressField",   "addButton",       "retryButton",   "startButton",
                         "stopButton",     "selectAllButton", "removeButton",  "upButton",
                         "downButton",     "clearButton",     "the list",      "openFolderButton",
                         "browseButton",   "watchSwitch",     "anySiteSwitch", "helpLink",
                         "webSiteLink",    "homeTab",         "downloadsTab",  "aboutTab",
                         "minimizeButton", "trayButton",      "closeButton",   "addressField"};
  Start();
  Add("http://www.youtube.com/watch?v=1");
  OpenDownloadsPage();
  Click("addressField");
  auto focused = [&]() -> std::string {
    if (Grid().HasFocus()) return Grid().Frame().FocusMark() ? "the list" : "an unmarked list";
    QQuickItem* item = Face().hasFocus() ? Face().quickWindow()->activeFocusItem() : nullptr;
    if (!item) return "nothing";
    auto* ring = item->findChild<QQuickItem*>("focusRing", Qt::FindDirectChildrenOnly);
    // The address box marks itself.
    bool marked = item->objectName() == "addressField" || (ring && ring->isVisible());
    return item->objectName().toStdString() + (marked ? "" : " unmarked");
  };
  for (bool forward : {true, false}) {
    Strings visited = {focused()};
    while (visited.size() < order.size()) {
      QTest::keyClick(QApplication::focusWidget(), forward ? Qt::Key_Tab : Qt::Key_Backtab);
      visited.push_back(focused());
    }
    EXPECT_EQ(visited, forward ? order : Strings(order.rbegin(), order.rend()));
  }
}

// Links dropped on the window are added as if typed, one a line.
TEST_F(FaceTest, DroppedLinksAreAdded) {
  const struct {
    const char *format, *data;
    int listed;
  } cases[] = {
      {"text/uri-list",
       "http://www.youtube.com/watch?v=a\r\n# a comment\r\nhttp://www.youtube.com/watch?v=b\r\n",
       2},
      {"text/plain", "http://www.youtube.com/watch?v=c\nhttp://www.youtube.com/watch?v=d", 4},
  };
  Start();
  QWindow* window = Window().windowHandle();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    QMimeData data;
    data.setData(c.format, c.data);
    QDragEnterEvent enter(kOverFace, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(window, &enter);
    QDropEvent drop(kOverFace, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(window, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_TRUE(QTest::qWaitFor([&] { return frm_->List().Count() == c.listed; }));
  }
}

// Adding an address that is listed already says so under the address box, for a while.
TEST_F(FaceTest, AnAddressListedAlreadyIsToldUnderTheAddressBox) {
  Start();
  OpenDownloadsPage();
  auto* hint = Face().rootObject()->findChild<QQuickItem*>("addressHint");
  // The address of each add, and whether the hint shows after it.
  const std::pair<const char*, bool> adds[] = {
      {"v=1", false}, {"v=1", true}, {"v=2", false}, {"v=2", true}};
  for (auto [address, told] : adds) {
    SCOPED_TRACE(address);
    Click("addressField");
    QTest::keyClick(&Face(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&Face(), QStringLiteral("http://www.youtube.com/watch?") + address);
    // Enter adds, as the button does.
    told ? Click("addButton") : QTest::keyClick(&Face(), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return frm_->List().Count() == address[2] - '0' && hint->isVisible() == told; }));
  }
  EXPECT_EQ(hint->property("text").toString().toStdString(), kAlreadyListed);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !hint->isVisible(); }, 10000));
}

TEST_F(FaceTest, WheelScrollsTheFocusedGridOneRowPerTurnAndRightPressesMissTheFace) {
  Start();
  for (int i = 0; i < 40; ++i) Add("http://www.youtube.com/watch?v=" + std::to_string(i));
  OpenDownloadsPage();
  // Notes the input that reaches the face's content: its kind, and its button or key.
  struct Spy : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
      auto* mouse = dynamic_cast<QMouseEvent*>(event);
      auto* key = dynamic_cast<QKeyEvent*>(event);
      seen.insert({event->type(), mouse ? int(mouse->button()) : key ? key->key() : 0});
      return false;
    }
    std::set<std::pair<int, int>> seen;
  } spy;
  Face().quickWindow()->installEventFilter(&spy);
  struct Case {
    const char* name;
    QPoint at, angle;
    int rowsMoved;  // towards the end
    bool gridFocused = true, unhooked = false, menuOpen = false;
  } const cases[] = {
      {"a notch towards the user, over the grid", kOverGrid, {0, -120}, 1},
      {"a notch away, over the face", kOverFace, {0, 120}, -1},
      {"the face focused", kOverGrid, {0, -120}, 0, false},
      {"unhooked, over the face", kOverFace, {0, -120}, 0, true, true},
      // An open menu takes the wheel, though the grid keeps the focus.
      {"the tray menu open", kOverGrid, {0, -120}, 0, true, false, true},
  };
  QTableView& table = Grid().View();
  QWindow* window = Window().windowHandle();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.gridFocused ? table.setFocus() : Face().setFocus();
    ASSERT_EQ(Grid().HasFocus(), c.gridFocused);
    table.verticalScrollBar()->setValue(10);
    spy.seen.clear();
    if (c.menuOpen) Tray().Menu().popup(QPoint(0, 0));
    if (c.unhooked) Window().StopHook();
    // As the desktop delivers it: to the window, which hands it to the widget under the mouse.
    QWheelEvent turn(c.at, c.at, {}, c.angle, {}, {}, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&turn);
    QApplication::instance()->notify(window, &turn);
    Tray().Menu().hide();
    // The face never sees a right press or the menu key while hooked.
    Face().setFocus();
    QTest::mouseDClick(window, Qt::RightButton, {}, kOverFace);
    QTest::keyClick(window, Qt::Key_Menu);
    Window().StartHook();
    EXPECT_EQ(table.rowAt(0) - 10, c.rowsMoved);
    // Whatever the focus, the face still gets the turns made over it.
    EXPECT_EQ(spy.seen.count({QEvent::Wheel, 0}), c.at == kOverFace ? 1u : 0u);
    auto seen = [&](int type, int what) { return spy.seen.count({type, what}); };
    using E = QEvent;
    EXPECT_EQ(seen(E::MouseButtonRelease, Qt::RightButton) + seen(E::KeyRelease, Qt::Key_Menu), 2u);
    size_t presses = seen(E::MouseButtonPress, Qt::RightButton) + seen(E::KeyPress, Qt::Key_Menu);
    EXPECT_EQ(presses + seen(E::MouseButtonDblClick, Qt::RightButton), c.unhooked ? 3u : 0u);
  }
}

// Under a window manager, minimising, restoring and hiding are the desktop's doing.
TEST_F(TrayTest, PressesAndTheMonitorItemReachTheProgramAndBringTheWindowBackFromEveryState) {
  enum From { kHidden, kMinimised, kHiddenMinimised, kRestoredHidden, kCovered };
  enum Act { kDoubleClick, kLeftPress, kRightPress };
  struct Case {
    const char* name;
    int start, act;
  } const cases[] = {
      {"double-click, minimised", kMinimised, kDoubleClick},
      {"double-click, hidden while minimised", kHiddenMinimised, kDoubleClick},
      {"double-click, restored from the taskbar, hidden", kRestoredHidden, kDoubleClick},
      {"left press, hidden", kHidden, kLeftPress},
      {"right press, hidden", kHidden, kRightPress},
      {"double-click, behind another window", kCovered, kDoubleClick},
  };
  Start();
  auto activate = [&](auto reason) { emit Tray().Icon().activated(reason); };
  auto clickItem = [&](const char* caption) {
    for (QAction* item : Tray().Menu().actions()) {
      QPoint at = Tray().Menu().actionGeometry(item).center();
      if (item->text() == caption) QTest::mouseClick(&Tray().Menu(), Qt::LeftButton, {}, at);
    }
  };
  auto inFront = [&] {
    return Window().isVisible() && QGuiApplication::focusWindow() == Window().windowHandle();
  };
  bool wm = QGuiApplication::platformName() == "xcb" &&
            !QStandardPaths::findExecutable("wmctrl").isEmpty();
  // How the window manager shows the window, which Qt may not know yet.
  auto shown = [&]() -> std::string {
    QProcess xprop;
    if (wm) xprop.start("xprop", {"-id", QString::number(Window().winId()), "WM_STATE"});
    QByteArray said = wm && xprop.waitForFinished() ? xprop.readAll() : "Normal";
    return said.contains("Normal") ? "Normal" : said.contains("Iconic") ? "Iconic" : "";
  };
  QWidget other;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    other.hide();
    Window().showNormal();
    Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return inFront() && shown() == "Normal"; }));
    if (c.start != kHidden && c.start != kCovered) Window().Minimize();
    if (c.start == kRestoredHidden && wm) {
      // The desktop may still be busy with the last restore: ask until it has iconified it.
      ASSERT_TRUE(
          QTest::qWaitFor([&] { return shown() == "Iconic" || (Window().Minimize(), false); }));
      QGuiApplication::sync();
      QProcess::execute("wmctrl", {"-i", "-a", QString::number(Window().winId())});
      ASSERT_TRUE(QTest::qWaitFor([&] { return shown() == "Normal"; }));
      QGuiApplication::sync();
    }
    if (c.start == kRestoredHidden && !wm)
      Window().windowHandle()->setWindowStates(Qt::WindowNoState);
    if (c.start != kMinimised && c.start != kCovered) Window().Hide();
    if (c.start == kCovered) other.show(), other.activateWindow();
    ASSERT_TRUE(c.start != kCovered || QTest::qWaitFor([&] { return !inFront(); }));
    activate(c.act == kDoubleClick ? QSystemTrayIcon::DoubleClick
             : c.act == kLeftPress ? QSystemTrayIcon::Trigger
                                   : QSystemTrayIcon::Context);
    EXPECT_EQ(Tray().Menu().isVisible(), c.act == kRightPress);
    bool back = c.act == kDoubleClick;
    EXPECT_EQ(QTest::qWaitFor([&] { return inFront() && shown() == "Normal"; }, back ? 5000 : 0),
              back);
    EXPECT_FALSE(back && Window().IsMinimized());
  }
  // The monitor item acts on the mark the menu showed, not on the one its click left.
  for (bool on : {true, false}) {
    activate(QSystemTrayIcon::Context);
    clickItem("Monitor Video URL's in Clipboard");
    EXPECT_EQ(frm_->CurrentSettings().URLMon, on);
    EXPECT_EQ(Face().GetVariable("_root.autoToDownloadList_CB"), on ? "1" : "0");
  }
  // A close from the desktop goes to the program, which decides.
  int asked = 0;
  Window().SetCloseHandler([&] { ++asked; });
  Window().close();
  EXPECT_TRUE(asked == 1 && Window().IsVisible());
}

// The window grows by its corner's grip, and the list with it; its columns
// show their longest texts whole; its size is kept for the next start.
TEST_F(FaceTest, TheListGrowsWithTheWindowWhoseSizeIsKept) {
  const std::pair<int, const char*> longest[] = {
      {kColId, "99999"}, {kColFileSize, "1000.0 KB"}, {kColFileSize, "1.4 MBso far.."}};
  int urlWidth = 0;
  // Each start shows the size the window had before it.
  for (QSize size : {QSize(640, 550), QSize(1000, 800), QSize(1000, 800)}) {
    frm_.reset(), host_.reset();
    Start();
    for (int i = 0; i < 20; ++i) Add("http://www.youtube.com/watch?v=" + std::to_string(i));
    OpenDownloadsPage();
    for (int row = 0; row < 3; ++row)
      Grid().SetCellText(row, longest[row].first, longest[row].second);
    QSize grown = size - QSize(640, 550);
    if (!urlWidth) urlWidth = Grid().View().columnWidth(kColVideoUrl);
    EXPECT_EQ(Window().size(), size);
    EXPECT_EQ(Window().minimumSize(), QSize(640, 550));
    EXPECT_EQ(Window().findChild<QSizeGrip*>()->geometry().bottomRight(),
              Window().rect().bottomRight());
    EXPECT_EQ(Face().rootObject()->height(), size.height());
    EXPECT_EQ(Grid().Frame().geometry(), QRect(QPoint(40, 220), QSize(575, 178) + grown));
    for (auto [column, text] : longest)
      EXPECT_GE(Grid().View().columnWidth(column),
                static_cast<QAbstractItemView&>(Grid().View()).sizeHintForColumn(column))
          << text;
    EXPECT_EQ(Grid().View().columnWidth(kColVideoUrl), urlWidth + grown.width());
    EXPECT_FALSE(Grid().View().horizontalScrollBar()->isVisible());
    Window().resize(1000, 800);
    EXPECT_TRUE(QTest::qWaitFor([] {
      return ReadWindowSize(*std::make_unique<CRegister>()) == WindowSize{1000, 800};
    }));
  }
}

}  // namespace
}  // namespace reelcatch
