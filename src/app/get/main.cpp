// reelcatch-get: the download run in a terminal.
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/get/options.h"
#include "app/get/progress_view.h"
#include "app/get/terminal_ports.h"
#include "app/get/terminal_text.h"
#include "list/add_download_url.h"
#include "list/list_display.h"
#include "platform/memory_grid.h"
#include "platform/network.h"
#include "platform/private_folder.h"
#include "resolve/get_download_link.h"
#include "resolve/page_file.h"
#include "resolve/site_table.h"
#include "run/download_run.h"
#include "shell/mod_settings.h"
#include "version.h"

namespace reelcatch {
namespace {

volatile std::sig_atomic_t interrupts = 0;

void OnInterrupt(int) { interrupts = interrupts + 1; }

std::string SavedDownloadDir() {
  CRegister store;
  return ReadDownloadDir(store);
}

// The page file's folder; says once why there is none.
PrivateFolder PageFolder() {
  PrivateFolder folder = PrivateRuntimeFolder();
  if (!folder.Usable()) {
    std::fprintf(stderr, "reelcatch-get: pages cannot be fetched: no private folder (%s)\n",
                 EscapeControls(folder.error).c_str());
  }
  return folder;
}

// Collects DownloadResult for a single page fetch outside a run.
class FetchEvents : public DownloadEvents {
 public:
  explicit FetchEvents(RunState& state) : state_(state) {}
  void DownloadComplete() override { state_.DownloadResult = "1"; }
  void DownloadError(std::string& description) override { state_.DownloadResult = description; }

 private:
  RunState& state_;
};

int Resolve(const GetOptions& options) {
  TerminalTimers timers;
  TerminalEventLoop loop(timers);
  Download control(loop);
  control.SetTimeouts(options.waitSeconds, options.waitSeconds);
  RunState state;
  FetchEvents events(state);
  control.SetEvents(&events);
  PrivateFolder folder = PageFolder();
  PageFile pageFile(folder);
  if (folder.Usable() && !pageFile.Usable()) {
    std::fprintf(stderr, "reelcatch-get: pages cannot be fetched: %s\n",
                 EscapeControls(pageFile.Error()).c_str());
  }
  for (const std::string& address : options.addresses) {
    std::string link = link_results::kNotFetched;
    if (pageFile.Usable() || GetSiteId(address) == -1) {
      link = GetDownloadLink(address, control, state, pageFile.Path(), options.anySite);
    }
    std::printf("%s\n", EscapeControls(link).c_str());
  }
  return pageFile.Usable() ? 0 : 1;
}

int Sites(const std::vector<std::string>& addresses) {
  for (const std::string& address : addresses) std::printf("%d\n", GetSiteId(address));
  return 0;
}

int Info(const GetOptions& options) {
  TerminalTimers timers;
  TerminalEventLoop loop(timers);
  Download control(loop);
  control.SetTimeouts(options.waitSeconds, options.waitSeconds);
  control.SetUrl(options.addresses.front());
  control.RequestInformation();
  std::printf("FileExists: %s\n", control.FileExists() ? "True" : "False");
  std::printf("LastModified: %s\n", EscapeControls(control.LastModified()).c_str());
  // No decimals, so no separator of the locale's.
  std::printf("FileSize: %.0f\n", static_cast<double>(control.FileSize()));
  std::printf("RemoteFileName: %s\n", EscapeControls(control.RemoteFileName()).c_str());
  std::printf("RemoteFileType: %s\n", EscapeControls(control.RemoteFileType()).c_str());
  return 0;
}

void PrintList(const DownloadList& list) {
  for (const DownloadItem& item : list.Items()) {
    std::printf("%d\t%s\t%s\t%s\t%s\n", item.ID, EscapeControls(item.Video_URL).c_str(),
                EscapeControls(item.FileName).c_str(), EscapeControls(item.Status).c_str(),
                EscapeControls(item.FileSize).c_str());
  }
  std::fflush(stdout);
}

int ExitStatus(const DownloadList& list, bool interrupted) {
  if (interrupted) return 130;
  for (const DownloadItem& item : list.Items()) {
    if (item.Status != texts::kComplete) return 1;
  }
  return 0;
}

int DownloadAll(const GetOptions& options) {
  TerminalMovie movie;
  MemoryGrid grid;
  TerminalDialogs dialogs;
  TerminalTimers timers;
  TerminalEventLoop loop(timers);
  TerminalTray tray;
  SystemNetwork network;

  DownloadList list;
  ListDisplay display(list, grid, loop, dialogs);
  Download control(loop);
  control.SetTimeouts(options.waitSeconds, options.waitSeconds);
  Settings settings;
  settings.DownloadDir = options.dir ? *options.dir : SavedDownloadDir();
  settings.AnySite = options.anySite;
  DownloadRun run(list, display, control, settings, RunPorts{movie, tray, dialogs, network, timers},
                  PageFolder());

  run.SetRetries(options.retries);
  bool live = !options.quiet && isatty(STDERR_FILENO);
  ProgressView view(list, stderr, live);
  view.SetRateSource([&run](const DownloadItem& item) {
    return item.Key == run.State().CurrentKey ? run.RateText("  ") : std::string();
  });
  run.SetStatusObserver([&](int position) {
    if (!options.quiet) view.StatusChanged(position);
    const DownloadItem& item = list.At(position);
    if (item.Status == texts::kError && !item.Reason.empty()) view.ReportFailure(item);
  });

  int handled = 0;
  loop.SetOnTurn([&] {
    if (interrupts > 1) {
      // A second Ctrl-C ends at once.
      run.RemovePageFile();
      std::fflush(nullptr);
      std::_Exit(130);
    }
    if (interrupts == 1 && handled == 0) {
      handled = 1;
      if (run.State().Downloading) run.cmdStartDownload_Click();
    }
    view.Tick();
  });
  std::signal(SIGINT, OnInterrupt);

  display.FormatDownloadGrid(true);
  std::vector<std::string> notAdded =
      AddDownloadURLs(options.addresses, list, display, run.State(), options.anySite);
  for (const std::string& address : notAdded) {
    std::fprintf(stderr, "List full: %s\n", EscapeControls(address).c_str());
  }
  int messagesBefore = dialogs.MessagesShown();
  run.cmdStartDownload_Click();
  view.Finish();
  if (dialogs.MessagesShown() > messagesBefore && !run.State().CancelRequested) return 1;
  PrintList(list);
  int status = ExitStatus(list, interrupts > 0);
  return status == 0 && !notAdded.empty() ? 1 : status;
}

}  // namespace
}  // namespace reelcatch

int main(int argc, char** argv) {
  using namespace reelcatch;
  // A file-size limit makes a write fail, which ends that item with a
  // reason, instead of killing the program.
  std::signal(SIGXFSZ, SIG_IGN);
  // The user's locale, as the desktop program has it: the engine's numbers
  // must read and write the same under every one.
  std::setlocale(LC_ALL, "");
  std::string error;
  std::optional<GetOptions> options =
      ParseGetOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(stderr, "reelcatch-get: %s\n%s", error.c_str(), kGetUsage);
    return 2;
  }
  switch (options->mode) {
    case GetMode::Help:
      std::printf("%s", kGetUsage);
      return 0;
    case GetMode::Version:
      std::printf("Version %d.%d.0.%d\n", kVersionMajor, kVersionMinor, kRevision);
      return 0;
    case GetMode::Resolve:
      return Resolve(*options);
    case GetMode::Site:
      return Sites(options->addresses);
    case GetMode::Info:
      return Info(*options);
    case GetMode::Download:
      break;
  }
  return DownloadAll(*options);
}
