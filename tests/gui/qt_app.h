#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <memory>

namespace reelcatch::testing {

// One QApplication for the whole test program, made before the first test.
class QtApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (QApplication::instance()) return;
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    app_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "reelcatch-test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

inline ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace reelcatch::testing
