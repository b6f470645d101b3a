// One desktop program per user: the first start claims the private folder,
// a later one hands its page addresses to it and ends, and the running
// window adds them and comes to the front.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QTest>
#include <QWindow>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/private_folder.h"
#include "platform/qt/desktop_wiring.h"
#include "platform/qt/qt_host.h"
#include "platform/qt/single_instance.h"
#include "qt_app.h"
#include "shell/cregister.h"
#include "shell/frm_main.h"
#include "shell/mod_settings.h"
#include "support/fake_ports.h"
#include "support/process.h"
#include "unit/shell_config_folder.h"

namespace reelcatch {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Role = SingleInstance::Role;
using Addresses = std::vector<std::string>;

constexpr int kWaitMs = 10000;

class SingleInstanceTest : public testing::ConfigFolderTest {
 protected:
  void SetUp() override {
    ConfigFolderTest::SetUp();
    fs::create_directories(Runtime());
    fs::permissions(Runtime(), fs::perms::owner_all);
    folder_ = PrivateRuntimeFolder();
    ASSERT_TRUE(folder_.Usable()) << folder_.error;
  }

  std::string Runtime() const { return temp_.Path() + "/run"; }

  // A socket file that no one listens on, as a program that ended leaves.
  void LeaveStaleSocket(const QString& path) {
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.toStdString().c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
  }

  testing::ScopedEnv runtime_{"XDG_RUNTIME_DIR", Runtime()};
  PrivateFolder folder_;
};

TEST_F(SingleInstanceTest, FirstStartRunsLaterOnesHandOver) {
  enum Before { kNobody, kRunning, kEnded, kHeldButDeaf, kNoFolder };
  struct Case {
    const char* name;
    Before before;
    Addresses addresses;
    Role role;
  };
  const Case cases[] = {
      {"nobody runs", kNobody, {"a"}, Role::kFirst},
      {"one runs", kRunning, {"http://x/1", "http://x/2"}, Role::kHanded},
      {"one runs, no addresses", kRunning, {}, Role::kHanded},
      {"the one that ran left its socket", kEnded, {}, Role::kFirst},
      {"one holds the lock but does not listen", kHeldButDeaf, {"a"}, Role::kNoAnswer},
      {"no private folder", kNoFolder, {}, Role::kAlone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<SingleInstance> running;
    std::vector<Addresses> handed;
    int heldLock = -1;
    switch (c.before) {
      case kNobody:
      case kNoFolder:
        break;
      case kRunning:
        running = std::make_unique<SingleInstance>(folder_.path);
        ASSERT_EQ(running->Claim({}), Role::kFirst);
        running->SetHandler([&](Addresses addresses) { handed.push_back(addresses); });
        break;
      case kEnded:
        LeaveStaleSocket(SingleInstance(folder_.path).SocketPath());
        break;
      case kHeldButDeaf:
        heldLock = open((folder_.path + "/instance.lock").c_str(), O_RDWR | O_CREAT, 0600);
        ASSERT_EQ(flock(heldLock, LOCK_EX | LOCK_NB), 0);
        break;
    }

    SingleInstance later(c.before == kNoFolder ? std::string() : folder_.path);
    EXPECT_EQ(later.Claim(c.addresses), c.role) << later.ErrorText();

    if (c.role == Role::kHanded) {
      ASSERT_TRUE(QTest::qWaitFor([&] { return !handed.empty(); }, kWaitMs));
      EXPECT_EQ(handed, std::vector<Addresses>{c.addresses});
    }
    if (c.role == Role::kFirst) {
      EXPECT_TRUE(QFileInfo(later.SocketPath()).exists());
      // And a start after it hands over.
      SingleInstance third(folder_.path);
      EXPECT_EQ(third.Claim({}), Role::kHanded) << third.ErrorText();
    }
    if (c.role == Role::kAlone || c.role == Role::kNoAnswer) {
      EXPECT_FALSE(later.ErrorText().empty());
    }
    if (heldLock >= 0) close(heldLock);
  }
}

// The real program as the later start, the desktop host of this test as the
// running one, wired as the program wires it.
class HandOverTest : public SingleInstanceTest {
 protected:
  void SetUp() override {
    SingleInstanceTest::SetUp();
    fs::create_directories(ProgramDir());
    fs::copy_file(fs::path(REELCATCH_SOURCE_DIR) / "face" / "Main.qml",
                  fs::path(ProgramDir()) / "Main.qml");
    // Monitoring off: no watcher is started.
    ASSERT_TRUE(CRegister().REGSaveSetting(kHkeyCurrentUser, kSettingsKey, kUrlMonValue, "False"));
    host_ = std::make_unique<QtHost>();
    Ports desktop = host_->GetPorts();
    Ports ports{desktop.movie, desktop.grid, desktop.dialogs, desktop.timers, desktop.shell,
                network_,      desktop.loop, desktop.window,  desktop.tray,   desktop.clipboard};
    frm_ = std::make_unique<FrmMain>(ports, ProgramDir(), "hand-over-test");
    WireDesktop(*host_, *frm_);
    frm_->Form_Load();
    instance_ = std::make_unique<SingleInstance>(folder_.path);
    ASSERT_EQ(instance_->Claim({}), Role::kFirst) << instance_->ErrorText();
    instance_->SetHandler([this](const Addresses& addresses) {
      AddGivenAddresses(*host_, *frm_, addresses);
      ++handOvers_;
    });
    Window().Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window()));
  }

  void TearDown() override {
    instance_.reset();
    frm_.reset();
    host_.reset();
  }

  std::string ProgramDir() const { return temp_.Path() + "/program"; }
  QtWindow& Window() { return host_->MainWindow(); }

  Addresses Listed() {
    Addresses urls;
    for (const auto& item : frm_->List().Items()) urls.push_back(item.Video_URL);
    return urls;
  }

  EventLog log_;
  FakeNetwork network_{log_};
  std::unique_ptr<QtHost> host_;
  std::unique_ptr<FrmMain> frm_;
  std::unique_ptr<SingleInstance> instance_;
  int handOvers_ = 0;
};

TEST_F(HandOverTest, ASecondStartAddsToTheRunningWindowAndEnds) {
  enum Start { kShown, kHidden, kMinimised };
  struct Case {
    const char* name;
    Start window;
    Addresses given;
    Addresses listed;  // afterwards, in order
  };
  const std::string a = "http://www.youtube.com/watch?v=a";
  const std::string b = "http://www.dailymotion.com/video/b";
  const std::string c = "http://www.youtube.com/watch?v=c";
  const Case cases[] = {
      {"two addresses, window in the tray", kHidden, {a, b}, {a, b}},
      {"no address, window minimised", kMinimised, {}, {a, b}},
      {"an address already listed and a new one", kShown, {a, c}, {a, b, c}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.window == kHidden) Window().Hide();
    if (c.window == kMinimised) Window().Minimize();
    int before = handOvers_;

    test::ChildProcess second(REELCATCH_BINARY_DIR "/reelcatch", c.given,
                              {"QT_QPA_PLATFORM=offscreen"});
    EXPECT_EQ(second.Wait(60s), 0) << second.Stderr();
    EXPECT_EQ(second.Stderr(), "");

    ASSERT_TRUE(QTest::qWaitFor([&] { return handOvers_ == before + 1; }, kWaitMs));
    EXPECT_EQ(Listed(), c.listed);
    EXPECT_TRUE(Window().IsVisible());
    EXPECT_FALSE(Window().IsMinimized());
    EXPECT_EQ(QGuiApplication::focusWindow(), Window().windowHandle());
  }
}

}  // namespace
}  // namespace reelcatch
