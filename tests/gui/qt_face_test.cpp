// The face as the program sees it: loaded from the program's folder, its
// buttons raising their commands, its variables set and read, and the
// window that is left when the face is missing.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QQuickItem>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <utility>
#include <vector>

#include "platform/qt/qt_host.h"
#include "qt_app.h"

namespace reelcatch {
namespace {

std::string FaceFile(const char* name) {
  return std::string(REELCATCH_SOURCE_DIR) + "/face/" + name;
}

class FaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    for (const char* name : {"Main.qml", "reelcatch.png"}) {
      ASSERT_TRUE(QFile::copy(QString::fromStdString(FaceFile(name)), folder_.filePath(name)));
    }
    host_.Face().SetCommandHandler([this](std::string command, std::string args) {
      commands_.emplace_back(std::move(command), std::move(args));
    });
  }

  std::string ProgramDir() const { return folder_.path().toStdString(); }

  void LoadAndShow() {
    host_.Face().LoadMovie(0, ProgramDir() + "/Main.qml");
    ASSERT_TRUE(host_.Face().Loaded());
    host_.MainWindow().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host_.MainWindow()));
  }

  QQuickItem* Item(const char* name) {
    return host_.Face().rootObject()->findChild<QQuickItem*>(QString::fromLatin1(name));
  }

  // Clicks the named item of the face at a point of its own (its centre by default).
  void Click(const char* name, QPointF at = {-1, -1}) {
    QQuickItem* item = Item(name);
    ASSERT_NE(item, nullptr) << name;
    if (at.x() < 0) at = QPointF(item->width() / 2, item->height() / 2);
    QPoint point = item->mapToScene(at).toPoint();
    QTest::mouseClick(&host_.Face(), Qt::LeftButton, {}, point);
  }

  // Waits for the next command the face raises.
  std::string NextCommand() {
    size_t seen = taken_;
    if (!QTest::qWaitFor([&] { return commands_.size() > seen; }, 5000)) return "(none)";
    return commands_[taken_++].first;
  }

  QTemporaryDir folder_;
  QtHost host_{FaceFile("reelcatch.png")};
  std::vector<std::pair<std::string, std::string>> commands_;
  size_t taken_ = 0;
};

TEST_F(FaceTest, EveryControlRaisesItsCommand) {
  LoadAndShow();
  struct Case {
    const char* page;
    const char* item;
    const char* command;
  };
  const Case cases[] = {
      {"home", "homeTab", "IDC_FS_Slider"},
      {"home", "downloadsTab", "IDC_FS_Download"},
      {"home", "aboutTab", "IDC_FS_About"},
      {"home", "openListButton", "IDC_FS_Download"},
      {"home", "minimizeButton", "IDC_FS_Minimize"},
      {"home", "trayButton", "IDC_FS_Tray"},
      {"home", "closeButton", "IDC_FS_Close"},
      {"home", "helpLink", "IDC_FS_Help"},
      {"home", "webSiteLink", "ID_FS_webSite"},
      {"downloads", "addButton", "IDC_FS_addDownloadURL"},
      {"downloads", "startButton", "IDC_FS_startDownload"},
      {"downloads", "selectAllButton", "IDC_FS_selectAllD"},
      {"downloads", "removeButton", "IDC_FS_removeSelectedD"},
      {"downloads", "upButton", "IDC_FS_moveUp"},
      {"downloads", "downButton", "IDC_FS_moveDown"},
      {"downloads", "clearButton", "ID_FS_clearComplete"},
      {"downloads", "browseButton", "ID_FS_downloadBrowse"},
      {"about", "webSiteButton", "ID_FS_webSite"},
      {"about", "guideButton", "IDC_FS_Help"},
  };
  for (const Case& c : cases) {
    host_.Face().SetVariable("_root.page", c.page);
    Click(c.item);
    EXPECT_EQ(NextCommand(), c.command) << c.item;
  }
}

TEST_F(FaceTest, TabsSwitchPagesAndTheTitleBarDrags) {
  LoadAndShow();
  Click("downloadsTab");
  EXPECT_EQ(NextCommand(), "IDC_FS_Download");
  EXPECT_EQ(host_.Face().GetVariable("_root.page"), "downloads");
  EXPECT_TRUE(Item("addButton")->isVisible());
  // A press on the bar, away from its tabs and buttons.
  Click("titleBar", {150, 8});
  EXPECT_EQ(NextCommand(), "IDC_FS_Drag");
}

TEST_F(FaceTest, StartAndStopFollowTheRunIndicators) {
  LoadAndShow();
  host_.Face().SetVariable("_root.page", "downloads");
  // Idle: stop does nothing, start starts.
  Click("stopButton");
  Click("startButton");
  EXPECT_EQ(NextCommand(), "IDC_FS_startDownload");
  // Running: start does nothing, stop stops.
  for (const char* name : {"_root.downloadBtn", "_root.startDownload", "_root.downloadTab"})
    host_.Face().SetVariable(name, "0");
  Click("startButton");
  Click("stopButton");
  EXPECT_EQ(NextCommand(), "IDC_FS_stopDownload");
  EXPECT_EQ(commands_.size(), 2u);
}

TEST_F(FaceTest, ClipboardSwitchFlipsItsVariableAndSaysWhich) {
  LoadAndShow();
  host_.Face().SetVariable("_root.page", "downloads");
  host_.Face().SetVariable("_root.autoToDownloadList_CB", "0");
  Click("watchSwitch");
  EXPECT_EQ(NextCommand(), "ID_FS_autoDownloadCheck");
  EXPECT_EQ(host_.Face().GetVariable("_root.autoToDownloadList_CB"), "1");
  Click("watchSwitch");
  EXPECT_EQ(NextCommand(), "ID_FS_autoDownloadUncheck");
  EXPECT_EQ(host_.Face().GetVariable("_root.autoToDownloadList_CB"), "0");
}

TEST_F(FaceTest, TypedAddressIsReadBackWhenAddArrives) {
  LoadAndShow();
  host_.Face().SetVariable("_root.page", "downloads");
  Click("addressField");
  QTest::keyClicks(&host_.Face(), "http://www.youtube.com/watch?v=abc");
  QTest::keyClick(&host_.Face(), Qt::Key_Return);
  EXPECT_EQ(NextCommand(), "IDC_FS_addDownloadURL");
  EXPECT_EQ(host_.Face().GetVariable("_root.video_url"), "http://www.youtube.com/watch?v=abc");
}

TEST_F(FaceTest, VariablesAreTheRootsProperties) {
  LoadAndShow();
  host_.Face().SetVariable("_root.download_dir", "/home/ann/Videos");
  host_.Face().SetVariable("_root.video_url", "http://www.break.com/index/x.html");
  EXPECT_EQ(host_.Face().GetVariable("_root.download_dir"), "/home/ann/Videos");
  EXPECT_EQ(host_.Face().rootObject()->property("download_dir").toString(), "/home/ann/Videos");
  // The address box shows an address the program puts there.
  EXPECT_EQ(Item("addressField")->property("text").toString(), "http://www.break.com/index/x.html");
  EXPECT_EQ(host_.Face().GetVariable("_root.noSuchVariable"), "");
  // Names with a capital reach the face's property with a small first letter.
  host_.Face().SetVariable("_root.Download_CB", "0");
  EXPECT_EQ(host_.Face().GetVariable("_root.Download_CB"), "0");
  EXPECT_EQ(host_.Face().rootObject()->property("download_CB").toString(), "0");
}

TEST_F(FaceTest, MissingFaceLeavesAFramedWindowWithTheList) {
  QFile::remove(folder_.filePath("Main.qml"));
  std::string path = ProgramDir() + "/Main.qml";
  host_.Face().LoadMovie(0, path);
  host_.MainWindow().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&host_.MainWindow()));

  EXPECT_FALSE(host_.Face().Loaded());
  ASSERT_NE(host_.MissingFaceLine(), nullptr);
  EXPECT_TRUE(host_.MissingFaceLine()->text().contains(QString::fromStdString(path)));
  EXPECT_TRUE(host_.MissingFaceLine()->isVisible());
  EXPECT_FALSE(host_.MainWindow().windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(host_.DownloadGrid().Frame().isVisible());
  // Variables of a missing face read as empty and writing them is harmless.
  host_.Face().SetVariable("_root.download_dir", "/tmp");
  EXPECT_EQ(host_.Face().GetVariable("_root.download_dir"), "");
}

}  // namespace
}  // namespace reelcatch
