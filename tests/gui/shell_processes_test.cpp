// The programs beside the window: one desktop program per user, a later
// start handing its addresses over, and the clipboard watcher with its
// channel, its control socket and its private folder.
#include <signal.h>

#include <QLocalSocket>
#include <fstream>

#include "app/clip/clipboard_sieve.h"
#include "desktop.h"
#include "platform/private_folder.h"
#include "platform/qt/single_instance.h"
#include "platform/qt/watcher_channel.h"
#include "support/process.h"

namespace reelcatch {
namespace {

using namespace std::chrono_literals;
using Role = SingleInstance::Role;
using testing::Strings;
using ProcessTest = testing::Desktop;
const std::string kClip = REELCATCH_BINARY_DIR "/reelcatch-clip";

std::unique_ptr<QLocalSocket> Connect(const QString& path) {
  auto socket = std::make_unique<QLocalSocket>();
  socket->connectToServer(path);
  return socket->waitForConnected() ? std::move(socket) : nullptr;
}

// The channel reads what came so far, so the next piece is a new read.
void Send(QLocalSocket& socket, const std::string& bytes) {
  socket.write(QByteArray::fromStdString(bytes));
  socket.waitForBytesWritten();
  QCoreApplication::processEvents();
}

TEST_F(ProcessTest, OneDesktopProgramRunsAndASecondStartHandsItsAddressesOver) {
  // A socket left by a program that ended.
  const std::string folder = PrivateRuntimeFolder().path;
  std::ofstream(folder + "/instance") << "";
  EXPECT_EQ(SingleInstance(folder).Claim({}), Role::kFirst);

  Start();
  SingleInstance instance(folder);
  ASSERT_EQ(instance.Claim({}), Role::kFirst) << instance.ErrorText();
  instance.SetHandler(
      [&](const Strings& addresses) { AddGivenAddresses(*host_, *frm_, addresses); });
  Window().Hide();
  const Strings given{"http://www.youtube.com/watch?v=a", "http://www.dailymotion.com/b"};
  test::ChildProcess second(REELCATCH_BINARY_DIR "/reelcatch", given);
  EXPECT_EQ(second.Wait(60s), 0) << second.Stderr();
  ASSERT_TRUE(QTest::qWaitFor([&] { return frm_->List().Items().size() == 2; }));
  EXPECT_EQ(frm_->List().At(1).Video_URL, given[1]);
  EXPECT_EQ(QGuiApplication::focusWindow(), Window().windowHandle());
}

// Each row ends with "end", on which the handler ends the channel: "never" is not delivered.
TEST_F(ProcessTest, ChannelDeliversWholeLinesOfEachWatcherApartOneAtATime) {
  const std::string longest(WatcherChannel::kMaxLineBytes, 'z');
  struct Case {
    const char* name;
    std::vector<std::pair<int, std::string>> writes;  // by the first or the second watcher
    Strings sorted;
  } const cases[] = {
      {"a line in pieces", {{0, "http://a"}, {0, "/v\r"}, {0, "\n"}}, {"http://a/v"}},
      {"several in one write, CR LF and blank lines", {{0, "a\r\nb\n\n\r\nc\n"}}, {"a", "b", "c"}},
      {"the longest line", {{0, longest + "\n"}}, {longest}},
      {"an over-long line in pieces", {{0, longest}, {0, "x"}, {0, "\nafter\n"}}, {"after"}},
      {"two watchers' lines in pieces", {{0, "a"}, {1, "b\n"}, {0, "1\n"}}, {"a1", "b"}},
      {"a handler that runs the event loop", {{0, "nest\nmore\n"}}, {"more", "nest", "other"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string number =
        std::to_string(QCoreApplication::applicationPid() * 100 + (&c - cases));
    std::unique_ptr<QLocalSocket> watchers[2];
    std::unique_ptr<WatcherChannel> channel;
    Strings got;
    int depth = 0, deepest = 0;
    channel = std::make_unique<WatcherChannel>(number, [&](std::string line) {
      deepest = std::max(deepest, ++depth);
      // As the list refill does: the event loop runs, and another watcher writes.
      if (line == "nest") Send(*watchers[1], "other\n");
      got.push_back(line);
      --depth;
      // The last thing it does: the handler goes with the channel.
      if (line == "end") channel.reset();
    });
    for (auto& watcher : watchers) watcher = Connect(WatcherChannelPath(number));
    for (const auto& [watcher, bytes] : c.writes) Send(*watchers[watcher], bytes);
    ASSERT_TRUE(QTest::qWaitFor([&] { return got.size() >= c.sorted.size(); }));
    Send(*watchers[0], "end\nnever\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !channel; }));
    std::erase(got, "end");
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, c.sorted);
    EXPECT_EQ(deepest, 1);
    // Its end tells the watchers to end.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return watchers[1]->state() == QLocalSocket::UnconnectedState; }));
  }
}

TEST(WatcherSieve, PassesEachNewSingleLineOfASupportedSiteOnce) {
  const std::string a = "http://www.youtube.com/watch?v=a", b = "HTTP://WWW.DAILYMOTION.COM/b";
  // Two-byte characters: the limit counts characters, not bytes.
  std::string full = a;
  while (full.size() < 2 * ClipboardSieve::kMaxCharacters - a.size()) full += "\xC3\xA9";
  ClipboardSieve sieve;
  auto take = [&](const std::string& text, bool secret = false) {
    return sieve.Take(text, secret).value_or("-");
  };
  // In the order copied: a text again only after another one, an image ("") or a secret.
  EXPECT_EQ((Strings{take(a), take(a), take(""), take(a), take(b), take(a), take("http://x.org/v"),
                     take(a + "\n" + b), take(" " + b + "\r\n"), take(full), take(full + "x"),
                     take(full), take(a, true), take(full)}),
            (Strings{a, "-", "-", "-", b, a, "-", "-", b, full, "-", full, "-", full}));
}

TEST_F(ProcessTest, TheWatcherEndsOnExitWithItsChannelOrForANewerOne) {
  const std::string number = std::to_string(QCoreApplication::applicationPid() * 100 + 99);
  auto channel = std::make_unique<WatcherChannel>(number, nullptr);
  // Connected to the channel and listening for Exit.
  auto ready = [&] {
    return QTest::qWaitFor(
        [&] { return channel->Connections() == 1 && Connect(WatcherControlPath()); }, 30000);
  };
  test::ChildProcess first(kClip, {number});
  ASSERT_TRUE(ready());
  test::ChildProcess second(kClip, {number});
  EXPECT_EQ(first.Wait(30s), 0) << first.Stderr();
  ASSERT_TRUE(ready());
  // After a quick off and on, the off may come last: it ends only older watchers.
  auto control = Connect(WatcherControlPath());
  control->write("Exit 0 1\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return control->canReadLine(); }));
  EXPECT_EQ(control->readLine(), "no\n");
  EXPECT_EQ(test::ChildProcess(kClip, {"Exit"}).Wait(30s), 0);
  EXPECT_EQ(second.Wait(30s), 0) << second.Stderr();
  test::ChildProcess third(kClip, {number});
  ASSERT_TRUE(ready());
  channel.reset();
  EXPECT_EQ(third.Wait(30s), 0) << third.Stderr();
}

// The real desktop program, monitoring on (the default), without a runtime
// folder: its private folder is then in the cache folder, and the shared
// temporary folder (TMPDIR here) must get nothing.
TEST_F(ProcessTest, DesktopTalksToItsWatcherThroughItsPrivateFolderOnly) {
  for (QString name : {"reelcatch", "reelcatch-clip"})
    ASSERT_TRUE(QFile::copy(REELCATCH_BINARY_DIR "/" + name, Path("program/" + name)));
  for (const char* sub : {"tmp", "elsewhere", "cache"}) QDir(dir_.path()).mkpath(sub);
  const QString folder = Path("cache/reelcatch");
  const Strings env{"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR",
                    "XDG_CACHE_HOME=" + Path("cache").toStdString(),
                    "TMPDIR=" + Path("tmp").toStdString()};
  test::ChildProcess desktop(Path("program/reelcatch").toStdString(), {}, env);
  // The watcher listens once it is connected to the desktop's channel.
  EXPECT_TRUE(QTest::qWaitFor([&] { return Connect(folder + "/clip") != nullptr; }, 60000));
  desktop.Signal(SIGTERM);
  desktop.Wait(30s);
  // The watcher ends with its channel.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !QFileInfo::exists(folder + "/clip"); }));
  QDirIterator files(Path("tmp"), QDir::Files | QDir::System, QDirIterator::Subdirectories);
  EXPECT_FALSE(files.hasNext()) << files.next().toStdString();
  // A link where the private folder belongs, as if somebody else made it.
  ASSERT_TRUE(QDir(folder).removeRecursively() && QFile::link(Path("elsewhere"), folder));
  test::ChildProcess watcher(Path("program/reelcatch-clip").toStdString(), {"12"}, env);
  EXPECT_EQ(watcher.Wait(30s), 1);
  EXPECT_NE(watcher.Stderr().find("no private folder"), std::string::npos) << watcher.Stderr();
  EXPECT_TRUE(QDir(Path("elsewhere")).isEmpty());
}

}  // namespace
}  // namespace reelcatch
