#pragma once

#include <memory>
#include <string>

#include "list/add_download_url.h"
#include "run/download_run.h"
#include "shell/frm_main.h"
#include "support/fake_ports.h"
#include "unit/shell_config_folder.h"

namespace reelcatch::testing {

// A page on a host that refuses at once: its fetch fails fast, with the
// event loop turning while it is under way.
inline constexpr const char* kRefusedPage = "http://127.0.0.1:1/youtube.com/watch?v=a";
inline const std::string kNotConnected =
    "Dialogs.ShowMessage You are not connected to the internet, Please connect first then try "
    "again";
inline const std::string kCancelQuestion =
    "Dialogs.ShowMessage Are you sure that you want to cancel downloading?";

inline EventLog Joined(std::initializer_list<EventLog> parts) {
  EventLog all;
  for (const EventLog& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A main window over fake ports, its settings and program folders in a fresh
// temporary folder, its start timer named in the log as the program names it.
class FrmMainFixture : public ConfigFolderTest {
 protected:
  void SetUp() override { Restart(); }

  // A new window over new fakes, started, as at a new start of the program.
  void Restart(const std::string& channel = "4242") {
    frm_.reset();
    fakes_ = std::make_unique<FakePorts>();
    frm_ = std::make_unique<FrmMain>(fakes_->ports(),
                                     ProgramFolders{FaceDir(), temp_.Path() + "/lib"}, channel);
    AsFake(frm_->Run().DownloadTimer()).name = "tmrDownload";
    frm_->Form_Load();
    startUp_ = std::exchange(fakes_->log, {});
  }
  std::string FaceDir() const { return temp_.Path() + "/share"; }
  std::string Watcher() const { return temp_.Path() + "/lib/reelcatch-clip"; }
  void Add(const std::string& text) {
    AddDownloadURL(text, frm_->List(), frm_->Display(), frm_->Run().State());
  }

  // Starts a run over the list, which must hold a refused page, and runs
  // action once, from the event loop, while the first page is fetched.
  void RunAndDuringPageFetch(std::function<void()> action) {
    hookRan_ = false;
    fakes_->loop.SetHook([this, action] {
      if (hookRan_ || !frm_->Run().State().Preparing) return;
      hookRan_ = true;
      action();
    });
    frm_->Run().cmdStartDownload_Click();
    EXPECT_TRUE(hookRan_);
  }

  std::unique_ptr<FakePorts> fakes_;
  std::unique_ptr<FrmMain> frm_;
  EventLog startUp_;
  bool hookRan_ = false;
};

}  // namespace reelcatch::testing
