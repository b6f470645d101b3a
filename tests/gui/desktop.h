#pragma once

#include <gtest/gtest.h>

#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>
#include <QtWidgets>

#include "list/add_download_url.h"
#include "platform/qt/desktop_wiring.h"
#include "platform/qt/qt_host.h"
#include "run/download_run.h"
#include "shell/cregister.h"
#include "shell/frm_main.h"
#include "shell/mod_settings.h"

namespace reelcatch::testing {

using Strings = std::vector<std::string>;

// The machine may have no network interface up; the run refuses to start without one.
struct Connected : Network {
  bool IsConnected() override { return true; }
};

// What the desktop shows of a widget: the window's pixels, not a fresh rendering.
inline QImage OnScreen(QWidget& widget) {
  QRect at(widget.mapTo(widget.window(), QPoint()), widget.size());
  WId window = widget.window()->winId();
  return widget.screen()->grabWindow(window, at.x(), at.y(), at.width(), at.height()).toImage();
}

// Home, settings, runtime and program folders of its own, and the program's
// window in them, wired as the program wires it.
class Desktop : public ::testing::Test {
 protected:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "reelcatch-test", *argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // One for the whole program, made before the first window.
    if (!qApp)
      QQuickWindow::setGraphicsApi(QSGRendererInterface::Software), new QApplication(argc, argv);
    for (const char* sub : {"program", "home", "config", "run"}) QDir(dir_.path()).mkpath(sub);
    QFile::setPermissions(Path("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    for (const char* name : {"HOME=home", "XDG_CONFIG_HOME=config", "XDG_RUNTIME_DIR=run"})
      qputenv(QByteArray(name).split('=')[0], Path(QByteArray(name).split('=')[1]).toUtf8());
    QDir face(REELCATCH_SOURCE_DIR "/face");
    for (const QString& name : face.entryList({"*.qml", "qmldir", "reelcatch.png"}, QDir::Files))
      ASSERT_TRUE(QFile::copy(face.filePath(name), Path("program/" + name)));
  }
  // Monitoring off: no watcher is started.
  void Start() {
    CRegister().REGSaveSetting(kHkeyCurrentUser, kSettingsKey, kUrlMonValue, "False");
    host_ = std::make_unique<QtHost>(Path("program/reelcatch.png").toStdString());
    Ports d = host_->GetPorts();
    frm_ = std::make_unique<FrmMain>(
        Ports{d.movie, d.grid, d.dialogs, d.timers, d.shell, net_, d.loop, d.window, d.tray,
              d.clipboard},
        ProgramFolders{Path("program").toStdString(), Path("program").toStdString()}, "");
    WireDesktop(*host_, *frm_);
    frm_->Form_Load();
    Window().Show();
    Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
  }

  QString Path(const QString& sub) const { return dir_.filePath(sub); }
  QtWindow& Window() { return host_->MainWindow(); }
  QtMovie& Face() { return host_->Face(); }
  QtGrid& Grid() { return host_->DownloadGrid(); }
  QtTray& Tray() { return host_->SysTray(); }
  void Add(const std::string& url) {
    AddDownloadURL(url, frm_->List(), frm_->Display(), frm_->Run().State());
  }

  // A click on the face's item of this name, at its centre or at a point of its own.
  void Click(const char* name, QPointF at = {-1, -1}) {
    auto* item = Face().rootObject()->findChild<QQuickItem*>(name);
    ASSERT_NE(item, nullptr) << name;
    if (at.x() < 0) at = QPointF(item->width() / 2, item->height() / 2);
    QTest::mouseClick(&Face(), Qt::LeftButton, {}, item->mapToScene(at).toPoint());
  }
  void OpenDownloadsPage() {
    Click("downloadsTab");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Grid().Frame().isVisible(); }));
  }

  QTemporaryDir dir_;
  Connected net_;
  std::unique_ptr<QtHost> host_;
  std::unique_ptr<FrmMain> frm_;
};

}  // namespace reelcatch::testing
