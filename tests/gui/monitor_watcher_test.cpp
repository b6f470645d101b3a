// The clipboard watcher and its channel: the main program's end in process,
// and the real reelcatch-clip against it.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QMimeData>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/clip/clipboard_sieve.h"
#include "gui/qt_app.h"
#include "platform/qt/watcher_channel.h"
#include "support/process.h"
#include "unit/shell_config_folder.h"

namespace reelcatch {
namespace {

using namespace std::chrono_literals;

// The sockets live in the runtime folder; a folder of our own keeps these
// tests apart from a watcher the user may be running.
class RuntimeFolder : public ::testing::Environment {
 public:
  void SetUp() override {
    char folder[] = "/tmp/reelcatch-watch-XXXXXX";
    ASSERT_TRUE(mkdtemp(folder));
    folder_ = folder;
    setenv("XDG_RUNTIME_DIR", folder, 1);
  }
  void TearDown() override {
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }

 private:
  std::string folder_;
};
::testing::Environment* const kRuntimeFolder =
    ::testing::AddGlobalTestEnvironment(new RuntimeFolder);

namespace fs = std::filesystem;

const std::string kWatcher = REELCATCH_BINARY_DIR "/reelcatch-clip";
constexpr int kWaitMs = 30000;

std::string NextChannel() {
  static int count = 0;
  return std::to_string(static_cast<long long>(getpid()) * 1000 + ++count);
}

// What a channel delivered, and whether every delivery came on the main thread.
struct Received {
  std::vector<std::string> lines;
  bool offThread = false;

  WatcherChannel::Delivery Sink() {
    return [this](std::string line) {
      offThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
      lines.push_back(std::move(line));
    };
  }
  bool Has(const std::string& line) const {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
};

std::unique_ptr<QLocalSocket> Connect(const QString& path) {
  auto socket = std::make_unique<QLocalSocket>();
  socket->connectToServer(path);
  if (!socket->waitForConnected(kWaitMs)) return nullptr;
  return socket;
}

void Send(QLocalSocket& socket, const std::string& bytes) {
  socket.write(QByteArray::fromStdString(bytes));
  socket.waitForBytesWritten(kWaitMs);
  // Let the channel read what came so far, so the next piece is a new read.
  QCoreApplication::processEvents();
}

struct ChannelCase {
  const char* name;
  std::vector<std::string> writes;
  std::vector<std::string> expected;
};

const std::string kAddress = "http://www.youtube.com/watch?v=a1b2c3";

std::vector<std::string> ByteByByte(const std::string& text) {
  std::vector<std::string> bytes;
  for (char c : text) bytes.emplace_back(1, c);
  return bytes;
}

TEST(WatcherChannel, DeliversWholeLinesHoweverTheyAreWritten) {
  const std::string overlong(WatcherChannel::kMaxLineBytes + 1, 'x');
  const std::string longest(WatcherChannel::kMaxLineBytes, 'z');
  const ChannelCase cases[] = {
      {"one address, one write", {kAddress + "\n"}, {kAddress}},
      {"one address a byte at a time", ByteByByte(kAddress + "\n"), {kAddress}},
      {"a line split across writes",
       {"http://www.you", "tube.com/watch?v=b", "\r", "\n"},
       {"http://www.youtube.com/watch?v=b"}},
      {"several in one write, CR LF and blank lines", {"a\r\nb\n\n\r\nc\n"}, {"a", "b", "c"}},
      {"UTF-8 passes as it is",
       {"http://www.blip.tv/f\xC3\xA9te\n"},
       {"http://www.blip.tv/f\xC3\xA9te"}},
      {"the longest line still arrives", {longest + "\n"}, {longest}},
      {"an over-long line is dropped, the next arrives", {overlong + "\nafter\n"}, {"after"}},
      {"an over-long line over several writes is dropped",
       {std::string(5000, 'x'), std::string(5000, 'y'), "\nafter\n"},
       {"after"}},
  };
  for (const ChannelCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string number = NextChannel();
    Received got;
    WatcherChannel channel(number, got.Sink());
    ASSERT_TRUE(channel.Listening()) << channel.ErrorText();
    auto client = Connect(WatcherChannelPath(number));
    ASSERT_TRUE(client);
    for (const std::string& piece : c.writes) Send(*client, piece);
    Send(*client, "end\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return got.Has("end"); }, kWaitMs));
    got.lines.pop_back();
    EXPECT_EQ(got.lines, c.expected);
    EXPECT_FALSE(got.offThread);
  }
}

bool OnlyTheUserMayOpen(const QString& path) {
  struct stat info {};
  return stat(path.toLocal8Bit().constData(), &info) == 0 && S_ISSOCK(info.st_mode) &&
         (info.st_mode & 077) == 0;
}

TEST(WatcherChannel, KeepsTheLinesOfTwoWatchersApart) {
  const std::string number = NextChannel();
  Received got;
  WatcherChannel channel(number, got.Sink());
  EXPECT_TRUE(OnlyTheUserMayOpen(WatcherChannelPath(number)));
  auto first = Connect(WatcherChannelPath(number));
  auto second = Connect(WatcherChannelPath(number));
  ASSERT_TRUE(first && second);
  ASSERT_TRUE(QTest::qWaitFor([&] { return channel.Connections() == 2; }, kWaitMs));
  Send(*first, "http://www.bolt.com/");
  Send(*second, "http://www.break.com/1\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return got.lines.size() == 1; }, kWaitMs));
  Send(*first, "one\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return got.lines.size() == 2; }, kWaitMs));
  EXPECT_EQ(got.lines,
            (std::vector<std::string>{"http://www.break.com/1", "http://www.bolt.com/one"}));
  first.reset();
  EXPECT_TRUE(QTest::qWaitFor([&] { return channel.Connections() == 1; }, kWaitMs));
}

// The main program's handler yields to the event loop (the list refill does),
// so more lines can come in while one is being handled.
TEST(WatcherChannel, ADeliveryThatRunsTheEventLoopIsNotOvertaken) {
  const std::string number = NextChannel();
  std::unique_ptr<QLocalSocket> client;
  std::unique_ptr<QLocalSocket> late;
  std::vector<std::string> order;
  int depth = 0;
  int deepest = 0;
  WatcherChannel channel(number, [&](std::string line) {
    deepest = std::max(deepest, ++depth);
    order.push_back(line);
    if (line == "first") {
      Send(*client, "second\nthird\n");
      late = Connect(WatcherChannelPath(number));
      EXPECT_TRUE(QTest::qWaitFor([&] { return channel.Connections() == 2; }, kWaitMs));
    }
    --depth;
  });
  client = Connect(WatcherChannelPath(number));
  ASSERT_TRUE(client);
  Send(*client, "first\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return order.size() == 3; }, kWaitMs));
  EXPECT_EQ(order, (std::vector<std::string>{"first", "second", "third"}));
  EXPECT_EQ(deepest, 1);
}

TEST(WatcherChannel, ADeliveryMayEndTheChannel) {
  const std::string number = NextChannel();
  std::unique_ptr<WatcherChannel> channel;
  std::vector<std::string> got;
  channel = std::make_unique<WatcherChannel>(number, [&](std::string line) {
    got.push_back(line);
    channel.reset();
  });
  auto client = Connect(WatcherChannelPath(number));
  ASSERT_TRUE(client);
  Send(*client, "one\ntwo\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !channel; }, kWaitMs));
  EXPECT_EQ(got, std::vector<std::string>{"one"});
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return client->state() == QLocalSocket::UnconnectedState; }, kWaitMs));
}

// Which clipboard texts the watcher passes on, in the order they are copied.
TEST(WatcherSieve, PassesEachNewSingleLineOfASupportedSite) {
  const std::string wide = "http://www.youtube.com/watch?v=";
  auto padded = [&](std::size_t characters) {
    std::string text = wide;
    // Two-byte characters: the limit counts characters, not bytes.
    while (text.size() - wide.size() < 2 * (characters - wide.size())) text += "\xC3\xA9";
    return text;
  };
  struct Step {
    const char* copied;
    std::string text;
    bool secret;
    std::optional<std::string> passed;
  };
  const Step steps[] = {
      {"an address", kAddress, false, kAddress},
      {"the same again", kAddress, false, std::nullopt},
      {"nothing (an image)", "", false, std::nullopt},
      {"the same after an image", kAddress, false, std::nullopt},
      {"another site's address", "HTTP://WWW.DAILYMOTION.COM/v", false,
       "HTTP://WWW.DAILYMOTION.COM/v"},
      {"the first once more", kAddress, false, kAddress},
      {"a text of no site", "http://example.org/video", false, std::nullopt},
      {"two lines", kAddress + "\n" + kAddress + "2", false, std::nullopt},
      {"a line with its newline", "  " + kAddress + "3\r\n", false, kAddress + "3"},
      {"2048 characters", padded(2048), false, padded(2048)},
      {"2049 characters", padded(2049), false, std::nullopt},
      {"an address marked secret", kAddress + "4", true, std::nullopt},
      {"the 2049 again, after the secret", padded(2049), false, std::nullopt},
      {"the 2048 again, after others", padded(2048), false, padded(2048)},
      {"a secret", "hunter2", true, std::nullopt},
      {"the 2048 again, after only a secret", padded(2048), false, padded(2048)},
  };
  ClipboardSieve sieve;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.copied);
    EXPECT_EQ(sieve.Take(step.text, step.secret), step.passed);
  }
}

// The real program, started as the main program starts it.
class WatcherProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(kWatcher)) << "build reelcatch-clip first";
    number_ = NextChannel();
    channel_ = std::make_unique<WatcherChannel>(number_, received_.Sink());
    ASSERT_TRUE(channel_->Listening()) << channel_->ErrorText();
  }

  std::unique_ptr<test::ChildProcess> StartWatcher() {
    auto watcher =
        std::make_unique<test::ChildProcess>(kWatcher, std::vector<std::string>{number_});
    return watcher;
  }

  // Connected to us and listening for Exit.
  bool WaitUntilReady(std::size_t connections = 1) {
    return QTest::qWaitFor(
        [&] {
          if (channel_->Connections() != connections) return false;
          QLocalSocket probe;
          probe.connectToServer(WatcherControlPath());
          return probe.waitForConnected(kWaitMs);
        },
        kWaitMs);
  }

  static int RunExit() { return test::ChildProcess(kWatcher, {"Exit"}).Wait(30s); }

  std::string number_;
  Received received_;
  std::unique_ptr<WatcherChannel> channel_;
};

TEST_F(WatcherProgram, ExitWithNoWatcherRunningEndsAtOnce) { EXPECT_EQ(RunExit(), 0); }

TEST_F(WatcherProgram, ExitEndsTheRunningWatcher) {
  auto watcher = StartWatcher();
  ASSERT_TRUE(WaitUntilReady()) << (watcher->Pump(), watcher->Stderr());
  EXPECT_TRUE(OnlyTheUserMayOpen(WatcherControlPath()));
  EXPECT_EQ(RunExit(), 0);
  EXPECT_EQ(watcher->Wait(30s), 0) << watcher->Stderr();
  EXPECT_TRUE(QTest::qWaitFor([&] { return channel_->Connections() == 0; }, kWaitMs));
}

TEST_F(WatcherProgram, EndsByItselfWhenTheChannelGoesAway) {
  auto watcher = StartWatcher();
  ASSERT_TRUE(WaitUntilReady()) << (watcher->Pump(), watcher->Stderr());
  channel_.reset();
  EXPECT_EQ(watcher->Wait(30s), 0) << watcher->Stderr();
}

TEST_F(WatcherProgram, ANewWatcherReplacesTheRunningOne) {
  auto first = StartWatcher();
  ASSERT_TRUE(WaitUntilReady());
  auto second = StartWatcher();
  EXPECT_EQ(first->Wait(30s), 0) << first->Stderr();
  ASSERT_TRUE(WaitUntilReady());
  EXPECT_EQ(RunExit(), 0);
  EXPECT_EQ(second->Wait(30s), 0) << second->Stderr();
}

// An Exit only ends watchers launched before it: after a quick off and on,
// the off may reach the socket last.
TEST_F(WatcherProgram, AnExitOlderThanTheWatcherIsRefused) {
  auto watcher = StartWatcher();
  ASSERT_TRUE(WaitUntilReady());
  auto ask = [](const char* message) {
    auto control = Connect(WatcherControlPath());
    if (!control) return std::string("no connection");
    control->write(message);
    control->waitForBytesWritten(kWaitMs);
    if (!QTest::qWaitFor([&] { return control->canReadLine(); }, kWaitMs)) return std::string();
    return control->readLine().trimmed().toStdString();
  };
  EXPECT_EQ(ask("Exit 0 1\n"), "no");
  EXPECT_EQ(ask("Exit 99999999999999 1\n"), "ok");
  EXPECT_EQ(watcher->Wait(30s), 0) << watcher->Stderr();
}

TEST_F(WatcherProgram, ChannelThatNobodyServesEndsWithStatusOne) {
  test::ChildProcess watcher(kWatcher, {NextChannel()});
  EXPECT_EQ(watcher.Wait(30s), 1);
  EXPECT_NE(watcher.Stderr().find("cannot reach channel"), std::string::npos) << watcher.Stderr();
}

// Clipboard content that notes which formats another program asked for.
class ServedMime : public QMimeData {
 public:
  explicit ServedMime(std::shared_ptr<std::set<QString>> asked) : asked_(std::move(asked)) {}

 protected:
  QVariant retrieveData(const QString& format, QMetaType type) const override {
    asked_->insert(format);
    return QMimeData::retrieveData(format, type);
  }

 private:
  std::shared_ptr<std::set<QString>> asked_;
};

const QString kSecretHint = QStringLiteral("x-kde-passwordManagerHint");

std::shared_ptr<std::set<QString>> Copy(const std::string& text, bool secret = false,
                                        QClipboard::Mode mode = QClipboard::Clipboard) {
  auto asked = std::make_shared<std::set<QString>>();
  auto* mime = new ServedMime(asked);
  mime->setText(QString::fromStdString(text));
  if (secret) mime->setData(kSecretHint, "secret");
  QGuiApplication::clipboard()->setMimeData(mime, mode);
  return asked;
}

// Copies between programs need a real X server; the offscreen platform keeps
// its clipboard to itself. scripts/test-clipboard-e2e runs this under Xvfb.
TEST_F(WatcherProgram, PassesOnCopiedAddressesOfSupportedSitesOnly) {
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
    GTEST_SKIP() << "needs an X server and QT_QPA_PLATFORM=xcb; scripts/test-clipboard-e2e runs it";
  }
  auto watcher = StartWatcher();
  ASSERT_TRUE(WaitUntilReady()) << (watcher->Pump(), watcher->Stderr());

  // The watcher takes what is on the clipboard when it starts as old, so copy
  // fresh addresses until one comes through.
  bool live = false;
  for (int probe = 1; !live && probe <= 15; ++probe) {
    const std::string address = kAddress + "-probe" + std::to_string(probe);
    Copy(address);
    live = QTest::qWaitFor([&] { return received_.Has(address); }, 2000);
  }
  ASSERT_TRUE(live) << (watcher->Pump(), watcher->Stderr());

  struct CopyCase {
    const char* name;
    std::string text;
    bool secret;
    QClipboard::Mode mode;
    bool passed;
  };
  const CopyCase cases[] = {
      {"an address", kAddress + "-e2e", false, QClipboard::Clipboard, true},
      {"an address marked secret", kAddress + "-secret", true, QClipboard::Clipboard, false},
      {"a text of no site", "http://example.org/video", false, QClipboard::Clipboard, false},
      {"two lines", kAddress + "-x\n" + kAddress + "-y", false, QClipboard::Clipboard, false},
      {"an address with its newline", kAddress + "-nl\n", false, QClipboard::Clipboard, true},
      {"an address in the selection", kAddress + "-sel", false, QClipboard::Selection, false},
  };
  int marker = 0;
  for (const CopyCase& c : cases) {
    SCOPED_TRACE(c.name);
    received_.lines.clear();
    auto asked = Copy(c.text, c.secret, c.mode);
    const std::string trimmed = c.text.substr(0, c.text.find_last_not_of('\n') + 1);
    if (c.passed) {
      EXPECT_TRUE(QTest::qWaitFor([&] { return received_.Has(trimmed); }, kWaitMs));
      EXPECT_EQ(received_.lines, std::vector<std::string>{trimmed});
      continue;
    }
    // The watcher must have read this copy (it is not asked for the
    // selection at all) before the next one takes its place.
    if (c.mode == QClipboard::Clipboard) {
      ASSERT_TRUE(QTest::qWaitFor([&] { return !asked->empty(); }, kWaitMs));
    }
    // Anything passed on would come before the next copy's address.
    const std::string next = kAddress + "-marker" + std::to_string(++marker);
    Copy(next);
    ASSERT_TRUE(QTest::qWaitFor([&] { return received_.Has(next); }, kWaitMs));
    EXPECT_EQ(received_.lines, std::vector<std::string>{next});
  }
  EXPECT_FALSE(received_.offThread);
}

// ---- Only a private folder holds the sockets ----

// No other user can make our folders, so a folder of the wrong kind where
// the private one belongs stands in for one that somebody else made.
struct Squat {
  const char* name;
  std::function<void(const fs::path& folder, const fs::path& elsewhere)> make;
  const char* refusal;
};

const Squat kSquats[] = {
    {"a link to another folder",
     [](const fs::path& folder, const fs::path& elsewhere) {
       fs::create_directory_symlink(elsewhere, folder);
     },
     "a symbolic link"},
    {"a folder others can write into",
     [](const fs::path& folder, const fs::path&) {
       fs::create_directory(folder);
       fs::permissions(folder, fs::perms::all);
     },
     "other users can write into it"},
    {"a file", [](const fs::path& folder, const fs::path&) { std::ofstream(folder) << "x"; },
     "not a folder"},
};

// Every entry below root, by its path relative to it; links not followed.
std::set<std::string> Entries(const fs::path& root, bool foldersToo = true) {
  std::set<std::string> entries;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (!foldersToo && it->is_directory() && !it->is_symlink()) continue;
    entries.insert(it->path().lexically_relative(root).string());
  }
  return entries;
}

// What lies in the shared temporary folder: Qt makes an empty folder of its
// own there when there is no runtime folder, and nothing else may be there.
std::set<std::string> Files(const fs::path& root) { return Entries(root, false); }

TEST(WatcherChannel, RefusesAFolderItCannotTrustAndSoDoesTheWatcher) {
  for (const Squat& squat : kSquats) {
    SCOPED_TRACE(squat.name);
    testing::TempFolder temp;
    const fs::path runtime = fs::path(temp.Path()) / "run";
    const fs::path elsewhere = fs::path(temp.Path()) / "elsewhere";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    fs::create_directories(elsewhere);
    squat.make(runtime / "reelcatch", elsewhere);
    testing::ScopedEnv env("XDG_RUNTIME_DIR", runtime.string());
    const std::string number = NextChannel();

    WatcherChannel channel(number, nullptr);
    EXPECT_FALSE(channel.Listening());
    EXPECT_NE(channel.ErrorText().find(squat.refusal), std::string::npos) << channel.ErrorText();
    EXPECT_TRUE(WatcherChannelPath(number).isEmpty());

    test::ChildProcess watcher(kWatcher, {number});
    EXPECT_EQ(watcher.Wait(30s), 1);
    EXPECT_NE(watcher.Stderr().find("no private folder"), std::string::npos) << watcher.Stderr();
    EXPECT_EQ(Entries(elsewhere), std::set<std::string>{});
    EXPECT_EQ(Entries(runtime), std::set<std::string>{"reelcatch"});
  }
}

// The processes that run this program file.
std::vector<pid_t> Running(const fs::path& program) {
  std::vector<pid_t> found;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc", error)) {
    std::error_code unreadable;
    fs::path exe = fs::read_symlink(entry.path() / "exe", unreadable);
    if (!unreadable && exe == program) found.push_back(std::stoi(entry.path().filename()));
  }
  return found;
}

bool IsSocket(const fs::path& path) {
  std::error_code error;
  return fs::is_socket(fs::symlink_status(path, error));
}

// The real desktop program, with monitoring on (the default) and no runtime
// folder: its private folder is then "reelcatch" in the cache folder. The
// shared temporary folder that the sockets once fell back to is TMPDIR here.
class DesktopWatcher : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.Path().empty());
    for (const char* folder : {"bin", "home", "config", "cache", "tmp", "elsewhere"}) {
      fs::create_directories(Root() / folder);
    }
    fs::copy_file(REELCATCH_BINARY_DIR "/reelcatch", Root() / "bin" / "reelcatch");
    fs::copy_file(kWatcher, Watcher());
    fs::copy_file(REELCATCH_SOURCE_DIR "/face/Main.qml", Root() / "bin" / "Main.qml");
  }

  fs::path Root() const { return temp_.Path(); }
  fs::path Watcher() const { return Root() / "bin" / "reelcatch-clip"; }
  fs::path Private() const { return Root() / "cache" / "reelcatch"; }

  std::unique_ptr<test::ChildProcess> StartDesktop() {
    return std::make_unique<test::ChildProcess>(
        (Root() / "bin" / "reelcatch").string(), std::vector<std::string>{},
        std::vector<std::string>{"QT_QPA_PLATFORM=offscreen", "HOME=" + (Root() / "home").string(),
                                 "XDG_CONFIG_HOME=" + (Root() / "config").string(),
                                 "XDG_CACHE_HOME=" + (Root() / "cache").string(), "XDG_RUNTIME_DIR",
                                 "TMPDIR=" + (Root() / "tmp").string()});
  }

  testing::TempFolder temp_;
};

TEST_F(DesktopWatcher, TalksThroughItsPrivateFolderOnly) {
  auto desktop = StartDesktop();
  const fs::path channel = Private() / ("channel-" + std::to_string(desktop->Pid()));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        desktop->Pump();
        return IsSocket(channel) && IsSocket(Private() / "clip") && Running(Watcher()).size() == 1;
      },
      kWaitMs))
      << desktop->Stderr()
      << "\nin the private folder: " << ::testing::PrintToString(Entries(Private()))
      << "\nin TMPDIR: " << ::testing::PrintToString(Files(Root() / "tmp"));
  EXPECT_EQ(fs::status(Private()).permissions(), fs::perms::owner_all);
  EXPECT_EQ(Files(Root() / "tmp"), std::set<std::string>{});
  desktop->Signal(SIGTERM);
  desktop->Wait(30s);
  // The watcher ends with its channel.
  EXPECT_TRUE(QTest::qWaitFor([&] { return Running(Watcher()).empty(); }, kWaitMs));
}

TEST_F(DesktopWatcher, WithoutAPrivateFolderSaysSoOnceAndWatchesNothing) {
  for (const Squat& squat : kSquats) {
    SCOPED_TRACE(squat.name);
    fs::remove_all(Private());
    squat.make(Private(), Root() / "elsewhere");
    auto desktop = StartDesktop();
    ASSERT_TRUE(desktop->WaitForStderr("There is no private folder for Reelcatch", 60s))
        << desktop->Stderr();
    // The watcher would have been started before the message.
    EXPECT_EQ(Running(Watcher()), std::vector<pid_t>{});
    EXPECT_NE(desktop->Stderr().find(squat.refusal), std::string::npos) << desktop->Stderr();
    EXPECT_NE(desktop->Stderr().find("clipboard monitoring is off"), std::string::npos);
    desktop->Signal(SIGTERM);
    desktop->Wait(30s);
    const std::string& err = desktop->Stderr();
    EXPECT_EQ(err.find("private folder"), err.rfind("private folder")) << err;
    EXPECT_EQ(Files(Root() / "tmp"), std::set<std::string>{});
    EXPECT_EQ(Entries(Root() / "elsewhere"), std::set<std::string>{});
    std::error_code error;
    if (fs::is_directory(fs::symlink_status(Private(), error))) {
      EXPECT_EQ(Entries(Private()), std::set<std::string>{});
    }
  }
}

}  // namespace
}  // namespace reelcatch
