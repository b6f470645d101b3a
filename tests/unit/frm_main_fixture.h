#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "list/add_download_url.h"
#include "run/download_run.h"
#include "shell/frm_main.h"
#include "support/fake_ports.h"
#include "transfer/download.h"
#include "unit/shell_config_folder.h"

namespace reelcatch::testing {

// A main window over fake ports, with its settings and program folder in a
// fresh temporary folder and its timers named in the event log.
class FrmMainFixture : public ConfigFolderTest {
 protected:
  static constexpr const char* kChannel = "4242";

  void SetUp() override {
    ConfigFolderTest::SetUp();
    std::filesystem::create_directories(ProgramDir());
    frm_ = std::make_unique<FrmMain>(fakes_.ports(), ProgramDir(), kChannel);
    AsFake(frm_->Run().DownloadTimer()).SetName("tmrDownload");
    AsFake(frm_->EndTimer()).SetName("tmrend");
    AsFake(frm_->MonitorTimer()).SetName("tmrMonitor");
    frm_->Control().SetTimeouts(10, 10);
  }
  void TearDown() override { frm_.reset(); }

  std::string ProgramDir() const { return temp_.Path() + "/program"; }
  std::string Watcher() const { return ProgramDir() + "/reelcatch-clip"; }

  // Starts the window and forgets what start-up logged.
  void LoadAndForget() {
    frm_->Form_Load();
    fakes_.log.clear();
    fakes_.movie.ClearSets();
  }

  // Starts a run over one page whose fetch fails fast (its host refuses at
  // once) and runs action once, from the event loop, while it is fetched.
  void RunAndDuringPageFetch(std::function<void()> action) {
    AddDownloadURL(kRefusedPage, frm_->List(), frm_->Display(), frm_->Run().State());
    fakes_.loop.SetHook([this, action] {
      if (hookDone_ || !frm_->Run().State().Preparing) return;
      hookDone_ = true;
      action();
    });
    frm_->Flash_FSCommand("IDC_FS_stopDownload", "");
    ASSERT_TRUE(hookDone_);
  }

  static constexpr const char* kRefusedPage = "http://127.0.0.1:1/youtube.com/watch?v=a";

  FakePorts fakes_;
  std::unique_ptr<FrmMain> frm_;
  bool hookDone_ = false;
};

}  // namespace reelcatch::testing
