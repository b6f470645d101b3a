// The face of Reelcatch's main window. The program sets and reads the root's
// string properties and receives every button press as fsCommand(name, args).
// The download list is not drawn here: the program lays its grid over the
// rectangle at 40, 220 (575 x 178) on the downloads page, grown by as much
// as the window is larger than 640 x 550. The pages and controls lie beside
// this file, one to a file.
import QtQuick

Item {
    id: root
    width: 640
    height: 550

    signal fsCommand(string command, string args)
    // The download list's turn in the Tab order has come: the program moves
    // the keyboard focus into it.
    signal gridFocus()

    // Variables the program sets or reads.
    property string aboutTxt: ""
    property string autoToDownloadList_CB: "0"
    // "_root.Download_CB" and "_root.Convert_CB": a QML name cannot begin
    // with a capital, so the host writes them with a small first letter.
    property string download_CB: "1"
    property string convert_CB: "1"
    property string download_dir: ""
    property string anySite_CB: "0"
    property string notify_CB: "1"
    property string video_url: ""
    property string startDownload: "1"
    property string downloadBtn: "1"
    property string downloadTab: "1"
    // The footer's line while a run goes: item, speed, time left.
    property string progressTxt: ""
    // Under the address box for a while: why an add changed nothing.
    property string hintTxt: ""

    // The page on show: "home", "downloads" or "about".
    property string page: "home"

    readonly property bool running: downloadTab === "0"

    // How much larger than its smallest size the window is: the list takes it.
    readonly property int extraWidth: Math.max(0, width - 640)
    readonly property int extraHeight: Math.max(0, height - 550)

    function send(command) { root.fsCommand(command, "") }

    function showPage(name, command) {
        page = name
        send(command)
    }

    // Tab or Shift+Tab left the download list: the focus goes on from the
    // list's place in the face.
    function focusBesideGrid(forward) { downloadsPage.focusBesideGrid(forward) }

    Rectangle {
        anchors.fill: parent
        color: Theme.paper
    }

    TitleBar {
        face: root
    }

    HomePage {
        face: root
    }

    DownloadsPage {
        id: downloadsPage
        face: root
    }

    AboutPage {
        face: root
    }

    Footer {
        face: root
    }
}
