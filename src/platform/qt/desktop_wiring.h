#pragma once

#include <string>
#include <vector>

namespace reelcatch {

class FrmMain;
class QtHost;

// Connects the program's main window to the desktop host: the face's
// commands, a close from the desktop, the wheel, and the tray icon and menu.
void WireDesktop(QtHost& host, FrmMain& frm);

// Page addresses given on a command line, this program's or a later start's:
// the window comes to the front and each is added as if typed into the face
// and added; a full list is told once for the lot.
void AddGivenAddresses(QtHost& host, FrmMain& frm, const std::vector<std::string>& addresses);

}  // namespace reelcatch
