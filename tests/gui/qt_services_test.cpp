// The smaller desktop services: message boxes, the tray menu, timers, the
// event-loop turns and the window's close.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <string>
#include <vector>

#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/qt/qt_timers.h"
#include "platform/qt/qt_tray.h"
#include "platform/qt/qt_window.h"
#include "qt_app.h"

namespace reelcatch {
namespace {

TEST(QtDialogsTest, AnswersAndTitles) {
  struct Case {
    MessageButtons buttons;
    std::string title;
    int key;  // pressed in the box; 0: click its Yes button
    MessageAnswer answer;
    QString shownTitle;
  };
  const Case cases[] = {
      {MessageButtons::Ok, "", Qt::Key_Return, MessageAnswer::Ok, "Reelcatch"},
      {MessageButtons::Ok, "Empty List", Qt::Key_Escape, MessageAnswer::Ok, "Empty List"},
      {MessageButtons::YesNo, "", 0, MessageAnswer::Yes, "Reelcatch"},
      // Escape on the cancel question must not stop the run.
      {MessageButtons::YesNo, "", Qt::Key_Escape, MessageAnswer::No, "Reelcatch"},
  };
  QtDialogs dialogs;
  for (const Case& c : cases) {
    QString shownTitle;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      shownTitle = box->windowTitle();
      if (c.key == 0)
        box->button(QMessageBox::Yes)->click();
      else
        QTest::keyClick(box, static_cast<Qt::Key>(c.key));
    });
    MessageAnswer answer = dialogs.ShowMessage("Please add video URL's first.", c.buttons,
                                               MessageIcon::Exclamation, c.title);
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(shownTitle, c.shownTitle);
  }
}

TEST(QtTrayTest, MenuHoldsItsEntriesAndReportsThem) {
  QtTray tray{QIcon()};
  std::vector<std::string> calls;
  TrayHandlers handlers;
  handlers.reelcatch = [&] { calls.push_back("reelcatch"); };
  handlers.download = [&] { calls.push_back("download"); };
  handlers.monitor = [&] { calls.push_back("monitor"); };
  handlers.exit = [&] { calls.push_back("exit"); };
  tray.SetHandlers(handlers);

  const char* captions[] = {
      "Reelcatch", "", "Start Downloading", "", "Monitor Video URL's in Clipboard", "", "Help",
      "About",     "", "Exit Reelcatch"};
  QList<QAction*> actions = tray.Menu().actions();
  ASSERT_EQ(actions.size(), 10);
  for (int i = 0; i < 10; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(actions[i]->isSeparator(), captions[i][0] == '\0');
    if (!actions[i]->isSeparator()) {
      EXPECT_EQ(actions[i]->text(), captions[i]);
    }
  }
  EXPECT_FALSE(actions[6]->isEnabled());
  EXPECT_FALSE(actions[7]->isEnabled());

  tray.SetDownloadCaption("Stop Downloading");
  EXPECT_EQ(tray.DownloadCaption(), "Stop Downloading");
  tray.SetMonitorChecked(true);
  EXPECT_TRUE(tray.MonitorChecked());
  for (int i : {0, 2, 4, 9}) actions[i]->trigger();
  EXPECT_EQ(calls, (std::vector<std::string>{"reelcatch", "download", "monitor", "exit"}));
}

TEST(QtTimerTest, TicksOnlyWhileEnabled) {
  int ticks = 0;
  QtTimerFactory factory;
  std::unique_ptr<Timer> timer;
  timer = factory.CreateTimer([&] {
    // One-shot, as the program's start and end timers are.
    timer->SetEnabled(false);
    ++ticks;
  });
  timer->SetInterval(10);
  EXPECT_FALSE(timer->Enabled());
  EXPECT_EQ(timer->Interval(), 10);
  timer->SetEnabled(true);
  EXPECT_TRUE(timer->Enabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return ticks == 1; }, 5000));
  EXPECT_FALSE(timer->Enabled());
}

TEST(QtEventLoopTest, TurnsAtMostOncePerSlice) {
  struct Case {
    std::chrono::microseconds slice;
    bool runs;
  };
  const Case cases[] = {{std::chrono::microseconds(0), true}, {std::chrono::hours(1), false}};
  for (const Case& c : cases) {
    QtEventLoop loop(c.slice);
    bool ran = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { ran = true; }, Qt::QueuedConnection);
    loop.DoEvents();
    EXPECT_EQ(ran, c.runs);
    EXPECT_EQ(loop.Turns(), c.runs ? 1 : 0);
    QCoreApplication::processEvents();
  }
}

// Paints the number it was last given.
class CountingPainter : public QWidget {
 public:
  int value = 0;
  int paints = 0;
  int paintedValue = -1;

 protected:
  void paintEvent(QPaintEvent*) override {
    ++paints;
    paintedValue = value;
  }
};

TEST(QtEventLoopTest, LongOperationRepaintsOncePerPaintIntervalAndTheLastStateAfter) {
  CountingPainter widget;
  widget.resize(100, 40);
  widget.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
  QCoreApplication::processEvents();
  const auto interval = std::chrono::milliseconds(50);
  QtEventLoop loop(std::chrono::microseconds(0), interval);
  int before = widget.paints;
  QElapsedTimer elapsed;
  elapsed.start();
  for (int n = 1; n <= 300; ++n) {
    widget.value = n;
    widget.update();
    loop.DoEvents();
  }
  long long windows = elapsed.elapsed() / interval.count() + 1;
  EXPECT_EQ(loop.Turns(), 300);
  EXPECT_LE(widget.paints - before, windows + 1);
  // The last state is painted once the operation is over.
  ASSERT_TRUE(QTest::qWaitFor([&] { return widget.paintedValue == 300; }, 5000));
}

TEST(QtWindowTest, CloseFromTheDesktopGoesToTheProgram) {
  QtWindow window;
  int asked = 0;
  window.SetCloseHandler([&] { ++asked; });
  window.Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.size(), QSize(640, 550));
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
  window.close();
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(window.IsVisible());
  window.Hide();
  EXPECT_FALSE(window.IsVisible());
}

}  // namespace
}  // namespace reelcatch
