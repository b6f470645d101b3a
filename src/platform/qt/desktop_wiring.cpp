#include "platform/qt/desktop_wiring.h"

#include <QClipboard>
#include <QGuiApplication>

#include "list/item_actions.h"
#include "platform/qt/item_menu.h"
#include "platform/qt/qt_host.h"
#include "platform/qt/qt_text.h"
#include "shell/frm_main.h"

namespace reelcatch {

namespace {

void WireFace(QtHost& host, FrmMain& frm) {
  host.Face().SetCommandHandler([&frm](const std::string& command, const std::string& args) {
    frm.Flash_FSCommand(command, args);
  });
  // Closing from the desktop (a key, the session) ends the program as the
  // face's own close button does.
  host.MainWindow().SetCloseHandler([&frm] { frm.EndMe(); });
  host.MainWindow().Hook().SetWheelHandler([&frm](int delta) { frm.MainWindowWheel(delta); });
  host.MainWindow().SetDropHandler([&host, &frm](const std::vector<std::string>& links) {
    AddGivenAddresses(host, frm, links);
  });
  host.MainWindow().SetSizeSettledHandler(
      [&frm](int width, int height) { frm.MainWindowResized(width, height); });
}

void CopyText(const std::string& text) { QGuiApplication::clipboard()->setText(ToQString(text)); }

// Delete, and the menu of the items chosen in the list.
void WireGrid(QtHost& host, FrmMain& frm) {
  GridViewHandlers& handlers = host.DownloadGrid().View().Handlers();
  handlers.remove = [&frm] { frm.RemoveChosen(); };
  handlers.menu = [&host, &frm](QPoint at) {
    ItemMenuCommands commands{
        [&frm] { frm.OpenChosenFile(); },
        [&frm] { frm.OpenDownloadFolder(); },
        [&frm] { CopyText(frm.ChosenAddresses(false)); },
        [&frm] { CopyText(frm.ChosenAddresses(true)); },
        [&frm] { frm.RetryChosen(); },
        [&host] { host.DownloadGrid().View().RenameCurrent(); },
        [&frm] { frm.RemoveChosen(); },
    };
    FillItemMenu(host.ItemMenu(), frm.ChosenItemActions(), commands);
    host.ItemMenu().popup(at);
  };
}

void WireTray(QtHost& host, FrmMain& frm) {
  TrayHandlers handlers;
  handlers.mouseDown = [&frm](int button) { frm.SysTray_MouseDown(button, 0); };
  handlers.mouseDblClick = [&frm](int button) { frm.SysTray_MouseDblClick(button, 0); };
  handlers.reelcatch = [&frm] { frm.mnuReelcatch_Click(); };
  handlers.download = [&frm] { frm.mnuDownload_Click(); };
  handlers.retryFailed = [&frm] { frm.Flash_FSCommand("ID_FS_retryFailed", ""); };
  handlers.monitor = [&frm] { frm.mnuMonitor_Click(); };
  handlers.exit = [&frm] { frm.mnuExit_Click(); };
  handlers.messageClicked = [&frm] { frm.mnuReelcatch_Click(); };
  host.SysTray().SetHandlers(std::move(handlers));
}

}  // namespace

void WireDesktop(QtHost& host, FrmMain& frm) {
  WireFace(host, frm);
  WireGrid(host, frm);
  WireTray(host, frm);
}

void AddGivenAddresses(QtHost& host, FrmMain& frm, const std::vector<std::string>& addresses) {
  // In front first: a message about the addresses may follow.
  host.MainWindow().Restore();
  frm.AddGivenAddresses(addresses);
}

}  // namespace reelcatch
