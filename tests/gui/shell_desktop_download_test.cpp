// One whole download as the user makes it in the desktop program: the
// address typed into the face, Add and Start pressed, the Status cell drawn
// as a bar while the video arrives piece by piece, and at the end the item
// complete, the file in the download folder and the face idle again.
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QQuickItem>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "list/status_cell.h"
#include "platform/qt/desktop_wiring.h"
#include "platform/qt/qt_host.h"
#include "qt_app.h"
#include "run/download_run.h"
#include "shell/cregister.h"
#include "shell/frm_main.h"
#include "shell/mod_settings.h"
#include "support/sample_site.h"
#include "support/scripted_server.h"

namespace reelcatch {
namespace {

using namespace std::chrono_literals;
using test::Response;
using test::ScriptedServer;

constexpr int kWaitMs = 30000;

// The machine this runs on may have no network interface up; the run
// refuses to start without one.
class AlwaysConnected : public Network {
 public:
  bool IsConnected() override { return true; }
};

Rgb RgbOf(const QColor& color) { return {color.red(), color.green(), color.blue()}; }

Rgb PixelAt(const QImage& image, int x, int y) { return RgbOf(image.pixelColor(x, y)); }

std::string ReadFile(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The grid as it looked while the status read as a number.
struct BarShot {
  std::string status;
  QImage image;
  QRect cell;  // the Status cell, in the image's logical pixels
  std::string faceStartDownload;
};

class DesktopDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    // Settings, the home folder and the program's folder all stay in here.
    qputenv("XDG_CONFIG_HOME", folder_.filePath("config").toUtf8());
    qputenv("HOME", folder_.filePath("home").toUtf8());
    ASSERT_TRUE(QDir(folder_.path()).mkpath("program"));
    for (const char* name : {"Main.qml", "reelcatch.png"}) {
      QString source = QStringLiteral(REELCATCH_SOURCE_DIR "/face/") + QString::fromLatin1(name);
      ASSERT_TRUE(QFile::copy(source, ProgramFile(name)));
    }
    CRegister settings;
    ASSERT_TRUE(settings.REGSaveSetting(kHkeyCurrentUser, kSettingsKey, kUrlMonValue, "False"));
    // Not there yet: the run makes it.
    ASSERT_TRUE(settings.REGSaveSetting(kHkeyCurrentUser, kSettingsKey, kDownloadDirValue,
                                        VideoFolder().toStdString()));
  }

  QString ProgramFile(const char* name) const {
    return folder_.filePath(QStringLiteral("program/") + QString::fromLatin1(name));
  }
  QString VideoFolder() const { return folder_.filePath("videos"); }

  QQuickItem* FaceItem(QtHost& host, const char* name) {
    return host.Face().rootObject()->findChild<QQuickItem*>(QString::fromLatin1(name));
  }

  void Click(QtHost& host, const char* name) {
    QQuickItem* item = FaceItem(host, name);
    ASSERT_NE(item, nullptr) << name;
    QPoint point = item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
    QTest::mouseClick(&host.Face(), Qt::LeftButton, {}, point);
  }

  QTemporaryDir folder_;
  AlwaysConnected network_;
};

TEST_F(DesktopDownloadTest, TypedAddressIsDownloadedWithItsProgressDrawnAsABar) {
  // The video comes in four pieces with pauses between them, so the
  // window has its turns while the status holds a percentage.
  const std::string video = test::SampleVideoBytes("slow.flv", 40000);
  ScriptedServer server;
  server.Route("/angryalien.com/clip-7",
               Response::Ok("<embed src=\"" + server.Url("/media/slow.flv") + "\" />",
                            {{"Content-Type", "text/html"}}));
  server.Route("/media/slow.flv",
               Response::Head("HTTP/1.1 200 OK", {{"Content-Type", "video/x-flv"},
                                                  {"Content-Length", "40000"},
                                                  {"Connection", "close"}})
                   .Send(video.substr(0, 10000))
                   .Pause(300ms)
                   .Send(video.substr(10000, 12000))
                   .Pause(300ms)
                   .Send(video.substr(22000, 10000))
                   .Pause(300ms)
                   .Send(video.substr(32000)));
  const std::string address = server.Url("/angryalien.com/clip-7");

  QtHost host(ProgramFile("reelcatch.png").toStdString());
  Ports desktop = host.GetPorts();
  Ports ports{desktop.movie, desktop.grid, desktop.dialogs, desktop.timers, desktop.shell,
              network_,      desktop.loop, desktop.window,  desktop.tray,   desktop.clipboard};
  FrmMain frm(ports, folder_.filePath("program").toStdString(), "1");
  WireDesktop(host, frm);
  frm.Form_Load();
  ASSERT_TRUE(host.Face().Loaded());
  host.MainWindow().Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&host.MainWindow()));

  QtGrid& grid = host.DownloadGrid();
  Click(host, "downloadsTab");
  ASSERT_TRUE(QTest::qWaitFor([&] { return grid.Frame().isVisible(); }, kWaitMs));

  Click(host, "addressField");
  QTest::keyClicks(&host.Face(), QString::fromStdString(address));
  ASSERT_EQ(host.Face().GetVariable("_root.video_url"), address);
  Click(host, "addButton");
  ASSERT_TRUE(QTest::qWaitFor([&] { return grid.RowCount() == 1; }, kWaitMs));
  EXPECT_EQ(grid.CellText(0, kColVideoUrl), address);
  EXPECT_EQ(grid.CellText(0, kColStatus), "Waiting");

  // Looks at the grid at every turn the run gives the window.
  std::vector<BarShot> shots;
  QTimer observer;
  observer.setInterval(0);
  QObject::connect(&observer, &QTimer::timeout, [&] {
    if (grid.RowCount() != 1) return;
    std::string status = grid.CellText(0, kColStatus);
    double percent = 0;
    if (!ReadsAsNumber(status, &percent) || percent < 1 || percent > 99) return;
    if (!shots.empty() && shots.back().status == status) return;
    GridView& view = grid.View();
    shots.push_back({status, view.viewport()->grab().toImage(),
                     view.visualRect(grid.Model().index(0, kColStatus)),
                     host.Face().GetVariable("_root.startDownload")});
  });
  observer.start();

  Click(host, "startButton");
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return !frm.Run().State().Downloading && grid.RowCount() == 1 &&
               grid.CellText(0, kColStatus) == "Complete";
      },
      kWaitMs))
      << grid.CellText(0, kColStatus);
  observer.stop();

  // While the video came in: a bar as wide as the percentage, in the
  // desktop's highlight colour, on the highlight-text colour.
  ASSERT_FALSE(shots.empty());
  const Rgb bar = RgbOf(QGuiApplication::palette().color(QPalette::Highlight));
  const Rgb back = RgbOf(QGuiApplication::palette().color(QPalette::HighlightedText));
  ASSERT_NE(bar, back);
  for (const BarShot& shot : shots) {
    SCOPED_TRACE(shot.status);
    EXPECT_EQ(shot.faceStartDownload, "0");
    QImage image = shot.image;
    image.setDevicePixelRatio(1);
    const double scale = shot.image.devicePixelRatio();
    const int top = static_cast<int>((shot.cell.top() + 1) * scale);
    const int left = static_cast<int>(shot.cell.left() * scale);
    const int width = static_cast<int>(shot.cell.width() * scale);
    int barWidth = 0;
    while (barWidth < width && PixelAt(image, left + barWidth, top) == bar) ++barWidth;
    double percent = 0;
    ASSERT_TRUE(ReadsAsNumber(shot.status, &percent));
    EXPECT_NEAR(barWidth, percent / 100.0 * width, 1.5);
    EXPECT_GT(barWidth, 0);
    EXPECT_EQ(PixelAt(image, left + width - 2, top), back);
  }

  // The end: the file whole under its own name, no partial file beside it,
  // the face idle.
  EXPECT_EQ(grid.CellText(0, kColFileName), "slow.flv");
  EXPECT_EQ(grid.CellText(0, kColFileSize), "39.1 KB");
  EXPECT_EQ(frm.List().At(0).Status, "Complete");
  QString saved = QDir(VideoFolder()).filePath("slow.flv");
  EXPECT_TRUE(ReadFile(saved) == video) << "the saved file differs from the served video";
  EXPECT_EQ(QDir(VideoFolder()).entryList(QDir::Files), QStringList{"slow.flv"});
  for (const char* name : {"_root.startDownload", "_root.downloadBtn", "_root.downloadTab"}) {
    EXPECT_EQ(host.Face().GetVariable(name), "1") << name;
  }
  EXPECT_EQ(frm.Run().StartButtonCaption(), captions::kStart);
  EXPECT_EQ(host.SysTray().DownloadCaption(), captions::kStart);

  // "Complete" is written as text: no bar is left in the cell.
  GridView& view = grid.View();
  QImage after = view.viewport()->grab().toImage();
  after.setDevicePixelRatio(1);
  QRect cell = view.visualRect(grid.Model().index(0, kColStatus));
  const double scale = view.viewport()->devicePixelRatioF();
  EXPECT_NE(PixelAt(after, static_cast<int>(cell.left() * scale),
                    static_cast<int>((cell.top() + 1) * scale)),
            bar);
}

}  // namespace
}  // namespace reelcatch
