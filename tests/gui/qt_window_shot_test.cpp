// The whole main window as the user sees it on the downloads page, with a
// list in several states: the grid lies in front of the face, in its place.
// With REELCATCH_SCREENSHOT set, the picture is also saved there.
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QTemporaryDir>
#include <QTest>

#include "platform/qt/qt_host.h"
#include "qt_app.h"
#include "shell/frm_main.h"

namespace reelcatch {
namespace {

struct DemoItem {
  const char* url;
  const char* fileName;
  const char* status;
  const char* fileSize;
};

const DemoItem kItems[] = {
    {"http://www.youtube.com/watch?v=Xk2vR8m1qLs", "Sunrise_over_the_Alps.flv", "Complete",
     "14.2 MB"},
    {"http://video.google.com/videoplay?docid=-818041681232347", "Northern_Lights_Timelapse.flv",
     "45", "22.7 MB"},
    {"http://www.dailymotion.com/video/x2b4k1_surfing-lessons", "surfing-lessons.flv", "Waiting",
     "8.1 MB"},
    {"http://www.break.com/index/cat-vs-printer.html", "Waiting (Auto Detect)", "Waiting", "????"},
    {"http://www.example.com/holiday/clip-42", "ERROR", "Link is not supported", "????"},
    {"http://blip.tv/file/1287765", "Waiting (Auto Detect)", "Waiting", "????"},
};

Rgb PixelAt(const QImage& image, QPoint at) {
  QColor color = image.pixelColor(at);
  return {color.red(), color.green(), color.blue()};
}

class WindowShotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    // Settings of this run stay in the temporary folder.
    qputenv("XDG_CONFIG_HOME", folder_.filePath("config").toUtf8());
    for (const char* name : {"Main.qml", "reelcatch.png"}) {
      QString source = QStringLiteral(REELCATCH_SOURCE_DIR "/face/") + QString::fromLatin1(name);
      ASSERT_TRUE(QFile::copy(source, folder_.filePath(name)));
    }
  }

  void ShowDownloadsPage(FrmMain& frm, QtHost& host) {
    frm.Form_Load();
    for (const DemoItem& item : kItems) {
      frm.List().AddItem(item.url, item.fileName, item.status, item.fileSize);
    }
    frm.Display().FillDownloadList();
    host.Face().SetVariable("_root.page", "downloads");
    frm.Flash_FSCommand("IDC_FS_Download", "");
    // Another page, for a look at it; the checks below are of the downloads page.
    QByteArray page = qgetenv("REELCATCH_SCREENSHOT_PAGE");
    if (!page.isEmpty()) {
      host.Face().SetVariable("_root.page", page.toStdString());
      frm.Flash_FSCommand("IDC_FS_Slider", "");
    }
    host.Face().SetVariable("_root.download_dir", "/home/ann/Downloaded Videos");
    host.Face().SetVariable("_root.video_url", "http://blip.tv/file/1287765");
    for (const char* name : {"_root.downloadBtn", "_root.startDownload", "_root.downloadTab"})
      host.Face().SetVariable(name, "0");
    host.MainWindow().Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host.MainWindow()));
  }

  QTemporaryDir folder_;
};

TEST_F(WindowShotTest, GridLiesOverTheFaceInItsPlace) {
  std::string icon = folder_.filePath("reelcatch.png").toStdString();
  QtHost host(icon);
  FrmMain frm(host.GetPorts(), folder_.path().toStdString(), "1");
  ShowDownloadsPage(frm, host);
  QImage image = host.MainWindow().grab().toImage();
  QByteArray shot = qgetenv("REELCATCH_SCREENSHOT");
  if (!shot.isEmpty()) {
    EXPECT_TRUE(image.save(QString::fromLocal8Bit(shot)));
  }
  if (!qgetenv("REELCATCH_SCREENSHOT_PAGE").isEmpty()) return;

  // Border at 40, 220, then the green column headers.
  EXPECT_EQ(PixelAt(image, {40, 220}), (Rgb{39, 104, 146}));
  EXPECT_EQ(PixelAt(image, {43, 223}), (Rgb{84, 137, 93}));
  EXPECT_EQ(PixelAt(image, {40 + 574, 220 + 177}), (Rgb{39, 104, 146}));
  // The running item's bar.
  GridView& view = host.DownloadGrid().View();
  QRect cell = view.visualRect(host.DownloadGrid().Model().index(1, kColStatus));
  QPoint inWindow = view.viewport()->mapTo(&host.MainWindow(), cell.topLeft() + QPoint(1, 1));
  QColor highlight = QGuiApplication::palette().color(QPalette::Highlight);
  EXPECT_EQ(PixelAt(image, inWindow), (Rgb{highlight.red(), highlight.green(), highlight.blue()}));
}

}  // namespace
}  // namespace reelcatch
