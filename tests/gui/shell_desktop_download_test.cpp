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
  QStringList footers;
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
    while (screen.pixelColor(cell.left() + width, cell.top() + 1) == QPalette().highlight().color())
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
    if (shown.size() == 1 && !footerRate.match(footer).hasMatch()) return;
    if (shown.size() == 1) footers.push_back(footer);
    shown.push_back(status);
    // scripts/screenshot takes its picture here.
    if (shown.size() == 2 && qEnvironmentVariableIsSet("REELCATCH_SCREENSHOT"))
      Window().grab().save(qEnvironmentVariable("REELCATCH_SCREENSHOT"));
    server.Open(std::to_string(shown.size()));
  });
  observer.start(10);
  // A bound: a bar never shown must not hold the run for ever.
  QTimer::singleShot(30000, &observer,
                     [&] { server.Open("1"), server.Open("2"), server.Open("3"); });
  Click("startButton");
  ASSERT_TRUE(QTest::qWaitFor([&] { return frm_->List().At(0).Status == "Complete"; }, 60000));
  EXPECT_GE(shown.size(), 3u) << "progress shown: " << ::testing::PrintToString(shown);
  EXPECT_EQ(footers.size(), 1) << "the footer never told the speed";
  EXPECT_EQ(Grid().CellText(0, kColFileSize), "39.1 KB");
  QFile saved(Path("videos/slow.flv"));
  EXPECT_TRUE(saved.open(QIODevice::ReadOnly) && saved.readAll().toStdString() == video);
}

}  // namespace
}  // namespace reelcatch
