import QtQuick
import QtQuick.Controls.Basic

// The download list's page: the address box, the list's commands, the
// panel the program lays its grid over, the download folder and the switches.
Item {
    id: downloadsPage
    property Item face
    visible: face.page === "downloads"
    x: 0
    y: 0
    width: parent.width
    height: parent.height

    function addAddress() {
        face.send("IDC_FS_addDownloadURL")
        // Leave the address in place: the program reads it after this
        // handler has returned. Selecting it lets the next paste replace it.
        addressField.selectAll()
        addressField.forceActiveFocus()
    }

    Text {
        x: 40
        y: 76
        text: "VIDEO PAGE ADDRESS"
        color: Theme.muted
        font.pixelSize: 11
        font.bold: true
        font.letterSpacing: 1
    }

    TextField {
        id: addressField
        objectName: "addressField"
        x: 40
        y: 96
        width: 455 + face.extraWidth
        height: 36
        text: face.video_url
        placeholderText: "https://www.youtube.com/watch?v=..."
        placeholderTextColor: "#9aa5ad"
        color: Theme.ink
        selectByMouse: true
        font.pixelSize: 13
        leftPadding: 12
        background: Rectangle {
            radius: 6
            color: Theme.card
            border.color: addressField.activeFocus ? Theme.blue : Theme.line
            border.width: addressField.activeFocus ? 2 : 1
        }
        onTextEdited: face.video_url = text
        onAccepted: downloadsPage.addAddress()
    }

    // Says for a while why an add changed nothing.
    Text {
        objectName: "addressHint"
        x: 44
        y: 134
        text: face.hintTxt
        visible: text !== ""
        color: Theme.danger
        font.pixelSize: 11
        Timer {
            interval: 4000
            running: face.hintTxt !== ""
            onTriggered: face.hintTxt = ""
        }
    }

    PushButton {
        objectName: "addButton"
        x: 503 + face.extraWidth
        y: 97
        width: 112
        label: "Add"
        icon: "plus"
        tone: Theme.blue
        onClicked: downloadsPage.addAddress()
    }

    Text {
        x: 40
        y: 150
        text: "DOWNLOAD LIST"
        color: Theme.muted
        font.pixelSize: 11
        font.bold: true
        font.letterSpacing: 1
    }

    // Beside the title: the row of list commands below is full.
    ToolLink {
        objectName: "retryButton"
        anchors.right: parent.right
        anchors.rightMargin: 25
        y: 143
        label: "Retry failed"
        onClicked: face.send("ID_FS_retryFailed")
    }

    // Start and stop, then the list's own commands.
    Row {
        x: 40
        y: 172
        spacing: 8
        PushButton {
            objectName: "startButton"
            label: "Start"
            icon: "play"
            tone: Theme.mintDark
            width: 96
            enabledLook: face.startDownload !== "0"
            onClicked: face.send("IDC_FS_startDownload")
        }
        PushButton {
            objectName: "stopButton"
            label: "Stop"
            icon: "stop"
            tone: Theme.danger
            outlined: true
            width: 84
            enabledLook: face.downloadBtn === "0"
            onClicked: face.send("IDC_FS_stopDownload")
        }
    }

    Row {
        anchors.right: parent.right
        anchors.rightMargin: 25
        y: 175
        spacing: 0
        ToolLink {
            objectName: "selectAllButton"
            label: "Select all"
            onClicked: face.send("IDC_FS_selectAllD")
        }
        ToolLink {
            objectName: "removeButton"
            label: "Remove"
            onClicked: face.send("IDC_FS_removeSelectedD")
        }
        ToolLink {
            objectName: "upButton"
            label: "Up"
            icon: "up"
            onClicked: face.send("IDC_FS_moveUp")
        }
        ToolLink {
            objectName: "downButton"
            label: "Down"
            icon: "down"
            onClicked: face.send("IDC_FS_moveDown")
        }
        ToolLink {
            objectName: "clearButton"
            label: "Clear completed"
            onClicked: face.send("ID_FS_clearComplete")
        }
    }

    // The list lies over this rectangle; the panel gives it a soft edge.
    Rectangle {
        id: listPanel
        x: 36
        y: 216
        width: 583 + face.extraWidth
        height: 186 + face.extraHeight
        radius: 6
        color: "#e8ebee"
        border.color: "#c9d4dc"
    }

    // The list's place in the Tab order: the program moves the focus into
    // the list when this takes it, and back beside it when Tab leaves the list.
    Item {
        id: gridSlot
        objectName: "gridSlot"
        anchors.fill: listPanel
        activeFocusOnTab: true
        onActiveFocusChanged: if (activeFocus) face.gridFocus()
    }

    function focusBesideGrid(forward) {
        gridSlot.nextItemInFocusChain(forward).forceActiveFocus()
    }

    Text {
        x: 40
        y: 416 + face.extraHeight
        text: "SAVE VIDEOS TO"
        color: Theme.muted
        font.pixelSize: 11
        font.bold: true
        font.letterSpacing: 1
    }
    Rectangle {
        x: 40
        y: 434 + face.extraHeight
        width: 335 + face.extraWidth
        height: 34
        radius: 6
        color: Theme.card
        border.color: Theme.line
        Glyph {
            x: 10
            anchors.verticalCenter: parent.verticalCenter
            kind: "folder"
            tint: Theme.leaf
        }
        Text {
            x: 34
            width: parent.width - 44
            anchors.verticalCenter: parent.verticalCenter
            text: face.download_dir
            elide: Text.ElideMiddle
            color: Theme.ink
            font.pixelSize: 13
        }
    }
    PushButton {
        objectName: "openFolderButton"
        x: 383 + face.extraWidth
        y: 434 + face.extraHeight
        width: 112
        label: "Open folder"
        icon: "folder"
        tone: Theme.blue
        outlined: true
        onClicked: face.send("ID_FS_openFolder")
    }
    PushButton {
        objectName: "browseButton"
        x: 503 + face.extraWidth
        y: 434 + face.extraHeight
        width: 112
        label: "Change..."
        tone: Theme.blue
        outlined: true
        onClicked: face.send("ID_FS_downloadBrowse")
    }

    // Clipboard watching and other sites, as switches.
    SwitchRow {
        objectName: "watchSwitch"
        x: 40
        y: 482 + face.extraHeight
        width: 330
        on: face.autoToDownloadList_CB === "1"
        label: "Add video addresses I copy to the clipboard"
        onToggled: wanted => {
            face.autoToDownloadList_CB = wanted ? "1" : "0"
            face.send(wanted ? "ID_FS_autoDownloadCheck" : "ID_FS_autoDownloadUncheck")
        }
    }
    SwitchRow {
        objectName: "anySiteSwitch"
        x: 385
        y: 482 + face.extraHeight
        width: 230
        on: face.anySite_CB === "1"
        label: "Also try pages of other sites"
        onToggled: wanted => {
            face.anySite_CB = wanted ? "1" : "0"
            face.send(wanted ? "ID_FS_anySiteCheck" : "ID_FS_anySiteUncheck")
        }
    }
}
