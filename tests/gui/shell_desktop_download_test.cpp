// One download as the user makes it in the window: the address typed into
// the face, Add and Start pressed, the progress on the screen as a bar while
// the video arrives, and at the end the file whole and its size shown.
#include "desktop.h"
#include "list/status_cell.h"
#include "support/sample_site.h"
#include "support/scripted_server.h"

namespace reelcatch {
namespace {

using DesktopDownloadTest = testing::Desktop;

TEST_F(DesktopDownloadTest, TypedAddressIsSavedWithItsProgressShownAsABar) {
  const std::string video = test::SampleVideoBytes("slow.flv", 40000);
  test::ScriptedServer server;
  server.Route("/angryalien.com/clip-7",
               test::Response::Ok("<embed src=\"" + server.Url("/media/slow.flv") + "\" />"));
  // Each piece waits until the screen has shown the progress of the one before.
  test::Response pieces = test::Response::Head(
      "HTTP/1.1 200 OK", {{"Content-Type", "video/x-flv"}, {"Content-Length", "40000"}});
  for (int piece = 0; piece < 3; ++piece)
    pieces.Send(video.substr(piece * 10000, 10000)).Await(std::to_string(piece + 1));
  server.Route("/media/slow.flv", pieces.Send(video.substr(30000)));
  CRegister().REGSaveSetting(kHkeyCurrentUser, kSettingsKey, kDownloadDirValue,
                             Path("videos").toStdString());
  Start();
  OpenDownloadsPage();
  Click("addressField");
  QTest::keyClicks(&Face(), QString::fromStdString(server.Url("/angryalien.com/clip-7")));
  Click("addButton");
  ASSERT_TRUE(QTest::qWaitFor([&] { return Grid().RowCount() == 1; }));

  // The run holds the event loop until it ends: the checks come from a timer.
  std::vector<std::string> shown;
  bool footerTold = false;
  const QRegularExpression footerRate(
      QStringLiteral("^Downloading 1 of 1 \u00b7 [0-9.]+ K?B/s \u00b7 0:[0-5][0-9] left$"));
  QTimer observer;
  QObject::connect(&observer, &QTimer::timeout, [&] {
    std::string status = Grid().CellText(0, kColStatus);
    double percent = 0;
    if (!ReadsAsNumber(status, &percent) || (shown.size() && shown.back() == status)) return;
    QRect cell = Grid().View().visualRect(Grid().Model().index(0, kColStatus));
    QImage screen = testing::OnScreen(*Grid().View().viewport());
    int width = 0;
    Rgb bar = Grid().Delegate().Colors().highlight;
    while (screen.pixelColor(cell.left() + width, cell.top() + 1) == QColor(bar.r, bar.g, bar.b))
      ++width;
    if (std::abs(width - percent * cell.width() / 100) > 1.5) return;
    // Over the bar the text takes the bar's back colour.
    bool textOverBar = percent < 60;
    for (int x = cell.center().x() - 12; x < cell.left() + width; ++x)
      for (int y = cell.top() + 2; y < cell.bottom() - 1; ++y)
        textOverBar |= screen.pixelColor(x, y).lightness() > 200;
    EXPECT_TRUE(textOverBar) << status;
    EXPECT_EQ(Tray().DownloadCaption(), captions::kStop);
    // Half-way the server holds back until the footer tells speed and time left.
    QString footer =
        Face().rootObject()->findChild<QQuickItem*>("footerLine")->property("text").toString();
    if (shown.size() == 1 && !(footerTold = footerRate.match(footer).hasMatch())) return;
    shown.push_back(status);
    // scripts/screenshot takes its pictures here, at the window's first size and enlarged.
    if (shown.size() == 2 && qEnvironmentVariableIsSet("REELCATCH_SCREENSHOT"))
      Window().grab().save(qEnvironmentVariable("REELCATCH_SCREENSHOT"));
    if (shown.size() == 2 && qEnvironmentVariableIsSet("REELCATCH_SCREENSHOT_LARGE")) {
      observer.stop();
      Window().resize(1000, 800);
      QTest::qWait(500);  // only for the picture: the face draws its new size
      Window().grab().save(qEnvironmentVariable("REELCATCH_SCREENSHOT_LARGE"));
      Window().resize(640, 550);
      QTest::qWait(500);
      observer.start(10);
    }
    server.Open(std::to_string(shown.size()));
  });
  observer.start(10);
  // A bound: a bar never shown must not hold the run for ever.
  QTimer::singleShot(30000, &observer,
                     [&] { server.Open("1"), server.Open("2"), server.Open("3"); });
  Click("startButton");
  ASSERT_TRUE(QTest::qWaitFor([&] { return frm_->List().At(0).Status == "Complete"; }, 60000));
  EXPECT_GE(shown.size(), 3u) << "progress shown: " << ::testing::PrintToString(shown);
  EXPECT_TRUE(footerTold) << "the footer never told the speed";
  EXPECT_EQ(Grid().CellText(0, kColFileSize), "39.1 KB");
  QFile saved(Path("videos/slow.flv"));
  EXPECT_TRUE(saved.open(QIODevice::ReadOnly) && saved.readAll().toStdString() == video);
}

// Each failure keeps "ERROR" as its status and tells why as the cell's tooltip.
TEST_F(DesktopDownloadTest, AFailedItemTellsWhyInItsStatusTooltip) {
  test::ScriptedServer server;
  struct Case {
    test::Response video;
    const char* reason;
    const char* folder = "videos";
  } const cases[] = {
      {test::Response::WithStatus("HTTP/1.1 404 Not Found", ""), "HTTP 404 Not Found"},
      {test::Response::Head("HTTP/1.1 200 OK", {{"Content-Length", "9000"}}).Send("v").Hold(),
       "Server sent nothing for 1 s"},
      // A file where the folder should be: nothing can be written there.
      {test::Response::Ok("video"), "Could not write file: Not a directory", "not-a-folder"}};
  QFile(Path("not-a-folder")).open(QIODevice::WriteOnly);
  Start();
  frm_->Control().SetTimeouts(1, 1);
  frm_->Run().SetRetries(0);
  for (size_t row = 0; row < std::size(cases); ++row) {
    std::string page = "/angryalien.com/" + std::to_string(row), file = page + ".flv";
    server.Route(page, test::Response::Ok("<embed src=\"" + server.Url(file) + "\" />"));
    server.Route(file, cases[row].video);
    Add(server.Url(page));
    frm_->CurrentSettings().DownloadDir = Path(cases[row].folder).toStdString();
    frm_->Run().cmdStartDownload_Click();
  }
  OpenDownloadsPage();
  for (int row = 0; row < int(std::size(cases)); ++row) {
    EXPECT_EQ(Grid().CellText(row, kColStatus), "ERROR");
    QPoint at = Grid().View().visualRect(Grid().Model().index(row, kColStatus)).center();
    QHelpEvent help(QEvent::ToolTip, at, Grid().View().viewport()->mapToGlobal(at));
    QApplication::sendEvent(Grid().View().viewport(), &help);
    EXPECT_EQ(QToolTip::text().toStdString(), cases[row].reason);
  }
}

// A run that ends while the window is out of sight says how it went beside
// the tray icon, unless switched off on the About page; a click on the
// message brings the window back.
TEST_F(DesktopDownloadTest, ARunEndedOutOfSightIsToldBesideTheTrayIcon) {
  enum Sight { kShown, kHidden, kMinimised };
  struct Case {
    const char* name;
    Sight sight;
    bool switchedOff;
    QString message;  // empty: none
  } const cases[] = {
      {"in sight", kShown, false, ""},
      {"hidden, switched off", kHidden, true, ""},
      {"hidden", kHidden, false, "1 downloaded, 1 failed"},
      {"minimised", kMinimised, false, "1 downloaded, 1 failed"},
  };
  test::ScriptedServer server;
  Start();
  frm_->CurrentSettings().DownloadDir = Path("videos").toStdString();
  for (size_t row = 0; row < std::size(cases); ++row) {
    const Case& c = cases[row];
    SCOPED_TRACE(c.name);
    QString before = Tray().LastMessage();
    if (c.switchedOff != !frm_->CurrentSettings().Notify) {
      Face().SetVariable("_root.page", "about");
      Click("notifySwitch");
      ASSERT_TRUE(QTest::qWaitFor([&] { return frm_->CurrentSettings().Notify != c.switchedOff; }));
    }
    for (const char* name : {"good", "gone"}) {
      std::string page = "/angryalien.com/" + std::string(name) + std::to_string(row);
      server.Route(page, test::Response::Ok("<embed src=\"" + server.Url(page + ".flv") + "\" />"));
      server.Route(page + ".flv", name == std::string("good")
                                      ? test::Response::Ok("video")
                                      : test::Response::WithStatus("HTTP/1.1 404 Not Found", ""));
      Add(server.Url(page));
    }
    Window().Restore();
    if (c.sight == kHidden) Window().Hide();
    if (c.sight == kMinimised) Window().Minimize();
    frm_->Run().cmdStartDownload_Click();
    EXPECT_EQ(Tray().LastMessage(), c.message.isEmpty() ? before : c.message);
    if (c.sight != kHidden) continue;
    emit Tray().Icon().messageClicked();
    EXPECT_TRUE(Window().IsVisible());
  }
  EXPECT_EQ(CRegister().REGGetSetting(kHkeyCurrentUser, kSettingsKey, kNotifyValue, ""), "1");
}

// The list follows the run to the item it works on, unless the user scrolled meanwhile.
TEST_F(DesktopDownloadTest, TheListFollowsTheRunningItemUntilTheUserScrolls) {
  Start();
  for (int i = 0; i < 40; ++i) Add("http://127.0.0.1:1/youtube.com/watch?v=" + std::to_string(i));
  OpenDownloadsPage();
  QScrollBar* bar = Grid().View().verticalScrollBar();
  for (bool userScrolls : {false, true}) {
    for (int i = 0; i < 40; ++i) frm_->List().Edit(i).Status = i < 20 ? "Complete" : "Waiting";
    frm_->Display().RebuildDownloadList();
    bar->setValue(0);
    frm_->Run().SetStatusObserver([&](int position) {
      if (userScrolls && position == 30) bar->triggerAction(QAbstractSlider::SliderToMinimum);
    });
    frm_->Run().cmdStartDownload_Click();
    QRect last = Grid().View().visualRect(Grid().Model().index(39, 0));
    EXPECT_EQ(Grid().View().viewport()->rect().contains(last), !userScrolls);
    EXPECT_EQ(bar->value(), userScrolls ? 0 : bar->maximum());
  }
}

}  // namespace
}  // namespace reelcatch
