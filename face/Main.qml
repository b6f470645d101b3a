// The face of Reelcatch's main window. The program sets and reads the root's
// string properties and receives every button press as fsCommand(name, args).
// The download list is not drawn here: the program lays its grid over the
// rectangle at 40, 220 (575 x 178) on the downloads page, grown by as much
// as the window is larger than 640 x 550.
import QtQuick
import QtQuick.Controls.Basic

Item {
    id: root
    width: 640
    height: 550

    signal fsCommand(string command, string args)

    // Variables the program sets or reads.
    property string aboutTxt: ""
    property string autoToDownloadList_CB: "0"
    // "_root.Download_CB" and "_root.Convert_CB": a QML name cannot begin
    // with a capital, so the host writes them with a small first letter.
    property string download_CB: "1"
    property string convert_CB: "1"
    property string download_dir: ""
    property string anySite_CB: "0"
    property string video_url: ""
    property string startDownload: "1"
    property string downloadBtn: "1"
    property string downloadTab: "1"
    // The footer's line while a run goes: item, speed, time left.
    property string progressTxt: ""

    // The page on show: "home", "downloads" or "about".
    property string page: "home"

    readonly property bool running: downloadTab === "0"

    // How much larger than its smallest size the window is: the list takes it.
    readonly property int extraWidth: Math.max(0, width - 640)
    readonly property int extraHeight: Math.max(0, height - 550)

    // Colours, matched to the download list's.
    readonly property color navy: "#1b4a69"
    readonly property color blue: "#276892"
    readonly property color leaf: "#54895d"
    readonly property color mint: "#3dd37c"
    readonly property color mintDark: "#2fb368"
    readonly property color paper: "#f3f2f1"
    readonly property color card: "#ffffff"
    readonly property color line: "#d9dcdf"
    readonly property color ink: "#22303a"
    readonly property color muted: "#6b7780"
    readonly property color danger: "#c8473d"

    function send(command) { root.fsCommand(command, "") }

    function showPage(name, command) {
        page = name
        send(command)
    }

    function addAddress() {
        send("IDC_FS_addDownloadURL")
        // Leave the address in place: the program reads it after this
        // handler has returned. Selecting it lets the next paste replace it.
        addressField.selectAll()
        addressField.forceActiveFocus()
    }

    // ---- small building blocks ------------------------------------------

    // A line-drawn icon.
    component Glyph: Canvas {
        id: glyph
        property string kind: ""
        property color tint: "white"
        property real weight: 1.6
        width: 16
        height: 16
        onTintChanged: requestPaint()
        onKindChanged: requestPaint()
        onPaint: {
            var c = getContext("2d")
            c.reset()
            c.strokeStyle = tint
            c.fillStyle = tint
            c.lineWidth = weight
            c.lineCap = "round"
            c.lineJoin = "round"
            var w = width, h = height
            c.beginPath()
            if (kind === "close") {
                c.moveTo(w * 0.25, h * 0.25); c.lineTo(w * 0.75, h * 0.75)
                c.moveTo(w * 0.75, h * 0.25); c.lineTo(w * 0.25, h * 0.75)
                c.stroke()
            } else if (kind === "minimize") {
                c.moveTo(w * 0.25, h * 0.62); c.lineTo(w * 0.75, h * 0.62)
                c.stroke()
            } else if (kind === "tray") {
                c.moveTo(w * 0.5, h * 0.18); c.lineTo(w * 0.5, h * 0.6)
                c.moveTo(w * 0.32, h * 0.44); c.lineTo(w * 0.5, h * 0.62); c.lineTo(w * 0.68, h * 0.44)
                c.moveTo(w * 0.2, h * 0.66); c.lineTo(w * 0.2, h * 0.82)
                c.lineTo(w * 0.8, h * 0.82); c.lineTo(w * 0.8, h * 0.66)
                c.stroke()
            } else if (kind === "play") {
                c.moveTo(w * 0.3, h * 0.2); c.lineTo(w * 0.8, h * 0.5); c.lineTo(w * 0.3, h * 0.8)
                c.closePath(); c.fill()
            } else if (kind === "stop") {
                c.rect(w * 0.25, h * 0.25, w * 0.5, h * 0.5); c.fill()
            } else if (kind === "plus") {
                c.moveTo(w * 0.5, h * 0.2); c.lineTo(w * 0.5, h * 0.8)
                c.moveTo(w * 0.2, h * 0.5); c.lineTo(w * 0.8, h * 0.5)
                c.stroke()
            } else if (kind === "up") {
                c.moveTo(w * 0.25, h * 0.62); c.lineTo(w * 0.5, h * 0.36); c.lineTo(w * 0.75, h * 0.62)
                c.stroke()
            } else if (kind === "down") {
                c.moveTo(w * 0.25, h * 0.38); c.lineTo(w * 0.5, h * 0.64); c.lineTo(w * 0.75, h * 0.38)
                c.stroke()
            } else if (kind === "folder") {
                c.moveTo(w * 0.1, h * 0.25); c.lineTo(w * 0.4, h * 0.25); c.lineTo(w * 0.5, h * 0.36)
                c.lineTo(w * 0.9, h * 0.36); c.lineTo(w * 0.9, h * 0.8); c.lineTo(w * 0.1, h * 0.8)
                c.closePath(); c.stroke()
            } else if (kind === "link") {
                c.moveTo(w * 0.15, h * 0.85); c.lineTo(w * 0.8, h * 0.2)
                c.moveTo(w * 0.4, h * 0.2); c.lineTo(w * 0.8, h * 0.2); c.lineTo(w * 0.8, h * 0.6)
                c.stroke()
            }
        }
    }

    // A button of the window's own frame, in the title bar.
    component FrameButton: Rectangle {
        id: fb
        property string kind
        property color hoverTone: Qt.rgba(1, 1, 1, 0.16)
        signal clicked
        width: 40
        height: 32
        radius: 6
        color: fbMouse.containsMouse ? hoverTone : "transparent"
        Glyph {
            anchors.centerIn: parent
            kind: fb.kind
            tint: "white"
        }
        MouseArea {
            id: fbMouse
            anchors.fill: parent
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: fb.clicked()
        }
    }

    // A tab in the title bar.
    component TabButton: Item {
        id: tab
        property string label
        property bool current: false
        property bool busy: false
        signal clicked
        width: tabText.implicitWidth + (busy ? 40 : 28)
        height: 56
        Text {
            id: tabText
            x: 14
            anchors.verticalCenter: parent.verticalCenter
            text: tab.label
            color: tab.current ? "white" : (tabMouse.containsMouse ? "#e3eef6" : "#a9c4d8")
            font.pixelSize: 14
            font.bold: tab.current
        }
        Rectangle {
            visible: tab.busy
            anchors.left: tabText.right
            anchors.leftMargin: 6
            anchors.verticalCenter: tabText.verticalCenter
            width: 8
            height: 8
            radius: 4
            color: root.mint
            opacity: blink.lit ? 1.0 : 0.35
        }
        Rectangle {
            anchors.bottom: parent.bottom
            anchors.horizontalCenter: parent.horizontalCenter
            width: parent.width - 20
            height: 3
            radius: 1.5
            color: root.mint
            visible: tab.current
        }
        MouseArea {
            id: tabMouse
            anchors.fill: parent
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: tab.clicked()
        }
    }

    // A solid or outlined push button.
    component PushButton: Rectangle {
        id: pb
        property string label
        property string icon: ""
        property color tone: root.blue
        property bool outlined: false
        property bool enabledLook: true
        signal clicked
        implicitWidth: pbRow.implicitWidth + 28
        height: 34
        radius: 6
        opacity: enabledLook ? 1.0 : 0.45
        color: outlined ? (pbMouse.containsMouse && enabledLook ? Qt.lighter(tone, 1.9) : root.card)
                        : (pbMouse.pressed && enabledLook ? Qt.darker(tone, 1.15)
                           : pbMouse.containsMouse && enabledLook ? Qt.lighter(tone, 1.08) : tone)
        border.color: outlined ? tone : Qt.darker(tone, 1.1)
        border.width: 1
        Row {
            id: pbRow
            anchors.centerIn: parent
            spacing: 6
            Glyph {
                visible: pb.icon !== ""
                anchors.verticalCenter: parent.verticalCenter
                kind: pb.icon
                tint: pb.outlined ? pb.tone : "white"
                width: 14
                height: 14
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: pb.label
                color: pb.outlined ? pb.tone : "white"
                font.pixelSize: 13
                font.bold: true
            }
        }
        MouseArea {
            id: pbMouse
            anchors.fill: parent
            hoverEnabled: true
            enabled: pb.enabledLook
            cursorShape: Qt.PointingHandCursor
            onClicked: pb.clicked()
        }
    }

    // A quiet tool button for the list commands.
    component ToolLink: Rectangle {
        id: tl
        property string label
        property string icon: ""
        signal clicked
        implicitWidth: tlRow.implicitWidth + 16
        height: 28
        radius: 5
        color: tlMouse.pressed ? "#dbe7ef" : tlMouse.containsMouse ? "#e8f0f5" : "transparent"
        border.color: tlMouse.containsMouse ? "#c3d6e3" : "transparent"
        Row {
            id: tlRow
            anchors.centerIn: parent
            spacing: 3
            Glyph {
                visible: tl.icon !== ""
                anchors.verticalCenter: parent.verticalCenter
                kind: tl.icon
                tint: root.blue
                width: 13
                height: 13
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: tl.label
                color: root.blue
                font.pixelSize: 12
            }
        }
        MouseArea {
            id: tlMouse
            anchors.fill: parent
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: tl.clicked()
        }
    }

    // A link in the footer.
    component FooterLink: Text {
        id: fl
        signal clicked
        color: flMouse.containsMouse ? root.blue : root.muted
        font.pixelSize: 12
        font.underline: flMouse.containsMouse
        MouseArea {
            id: flMouse
            anchors.fill: parent
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: fl.clicked()
        }
    }

    // A white panel with a soft edge.
    component Card: Rectangle {
        color: root.card
        radius: 8
        border.color: root.line
        border.width: 1
    }

    Timer {
        id: blink
        property bool lit: true
        interval: 650
        repeat: true
        running: root.running
        onTriggered: lit = !lit
        onRunningChanged: lit = true
    }

    // A labelled on/off switch; a click asks for the other state.
    component SwitchRow: Item {
        id: sw
        property bool on: false
        property string label
        signal toggled(bool wanted)
        height: 26
        Rectangle {
            id: track
            width: 40
            height: 22
            radius: 11
            anchors.verticalCenter: parent.verticalCenter
            color: sw.on ? root.mintDark : "#c3c9ce"
            Rectangle {
                width: 18
                height: 18
                radius: 9
                y: 2
                x: sw.on ? 20 : 2
                color: "white"
            }
        }
        Text {
            anchors.left: track.right
            anchors.leftMargin: 10
            anchors.verticalCenter: parent.verticalCenter
            text: sw.label
            color: root.ink
            font.pixelSize: 13
        }
        MouseArea {
            anchors.fill: parent
            cursorShape: Qt.PointingHandCursor
            onClicked: sw.toggled(!sw.on)
        }
    }

    // ---- the window ------------------------------------------------------

    Rectangle {
        anchors.fill: parent
        color: root.paper
    }

    // Title bar: drag handle, name, tabs and the window's buttons.
    Rectangle {
        id: titleBar
        objectName: "titleBar"
        width: parent.width
        height: 56
        gradient: Gradient {
            orientation: Gradient.Horizontal
            GradientStop { position: 0.0; color: root.navy }
            GradientStop { position: 1.0; color: root.blue }
        }

        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.LeftButton
            onPressed: root.send("IDC_FS_Drag")
        }

        Image {
            id: logo
            x: 16
            anchors.verticalCenter: parent.verticalCenter
            width: 30
            height: 30
            source: "reelcatch.png"
            sourceSize: Qt.size(60, 60)
            smooth: true
        }
        Text {
            anchors.left: logo.right
            anchors.leftMargin: 10
            anchors.verticalCenter: parent.verticalCenter
            text: "Reelcatch"
            color: "white"
            font.pixelSize: 18
            font.bold: true
        }

        Row {
            x: 178
            TabButton {
                objectName: "homeTab"
                label: "Home"
                current: root.page === "home"
                onClicked: root.showPage("home", "IDC_FS_Slider")
            }
            TabButton {
                objectName: "downloadsTab"
                label: "Downloads"
                current: root.page === "downloads"
                busy: root.running
                onClicked: root.showPage("downloads", "IDC_FS_Download")
            }
            TabButton {
                objectName: "aboutTab"
                label: "About"
                current: root.page === "about"
                onClicked: root.showPage("about", "IDC_FS_About")
            }
        }

        Row {
            anchors.right: parent.right
            anchors.rightMargin: 10
            anchors.verticalCenter: parent.verticalCenter
            spacing: 2
            FrameButton {
                objectName: "minimizeButton"
                kind: "minimize"
                onClicked: root.send("IDC_FS_Minimize")
            }
            FrameButton {
                objectName: "trayButton"
                kind: "tray"
                onClicked: root.send("IDC_FS_Tray")
            }
            FrameButton {
                objectName: "closeButton"
                kind: "close"
                hoverTone: root.danger
                onClicked: root.send("IDC_FS_Close")
            }
        }
    }

    // ---- home ------------------------------------------------------------

    Item {
        id: homePage
        visible: root.page === "home"
        x: 0
        y: 56
        width: parent.width
        height: 466

        Text {
            x: 40
            y: 34
            text: "Keep the videos you like."
            color: root.ink
            font.pixelSize: 26
            font.bold: true
        }
        Text {
            x: 40
            y: 74
            width: 560
            wrapMode: Text.WordWrap
            text: "Reelcatch saves videos from twelve video sharing sites to your computer. "
                  + "Give it the address of a video page and it does the rest."
            color: root.muted
            font.pixelSize: 14
            lineHeight: 1.15
        }

        Row {
            x: 40
            y: 136
            spacing: 14
            Repeater {
                model: [
                    { n: "1", title: "Copy", body: "Copy the address of the page that shows the video." },
                    { n: "2", title: "Add", body: "Paste it into the download list, or let Reelcatch pick it up from the clipboard." },
                    { n: "3", title: "Start", body: "Press Start. Each video lands in your download folder." }
                ]
                delegate: Card {
                    width: 182
                    height: 138
                    Rectangle {
                        x: 16
                        y: 16
                        width: 28
                        height: 28
                        radius: 14
                        color: index === 2 ? root.mint : (index === 1 ? root.leaf : root.blue)
                        Text {
                            anchors.centerIn: parent
                            text: modelData.n
                            color: "white"
                            font.pixelSize: 14
                            font.bold: true
                        }
                    }
                    Text {
                        x: 54
                        y: 20
                        text: modelData.title
                        color: root.ink
                        font.pixelSize: 15
                        font.bold: true
                    }
                    Text {
                        x: 16
                        y: 56
                        width: 152
                        wrapMode: Text.WordWrap
                        text: modelData.body
                        color: root.muted
                        font.pixelSize: 12
                        lineHeight: 1.1
                    }
                }
            }
        }

        PushButton {
            objectName: "openListButton"
            x: 40
            y: 298
            label: "Open the download list"
            icon: "play"
            tone: root.mintDark
            onClicked: root.showPage("downloads", "IDC_FS_Download")
        }

        Text {
            x: 40
            y: 354
            text: "SUPPORTED SITES"
            color: root.muted
            font.pixelSize: 11
            font.bold: true
            font.letterSpacing: 1
        }
        Flow {
            x: 40
            y: 376
            width: 570
            spacing: 6
            Repeater {
                model: ["Google Video", "YouTube", "Bolt", "MySpace", "AngryAlien", "ThatVideoSite",
                        "iFilm", "Break", "Blip", "Dailymotion", "PutFile", "ZippyVideos"]
                delegate: Rectangle {
                    width: chip.implicitWidth + 18
                    height: 24
                    radius: 12
                    color: "#e4eef4"
                    Text {
                        id: chip
                        anchors.centerIn: parent
                        text: modelData
                        color: root.blue
                        font.pixelSize: 12
                    }
                }
            }
        }
    }

    // ---- downloads -------------------------------------------------------

    Item {
        id: downloadsPage
        visible: root.page === "downloads"
        x: 0
        y: 0
        width: parent.width
        height: parent.height

        Text {
            x: 40
            y: 76
            text: "VIDEO PAGE ADDRESS"
            color: root.muted
            font.pixelSize: 11
            font.bold: true
            font.letterSpacing: 1
        }

        TextField {
            id: addressField
            objectName: "addressField"
            x: 40
            y: 96
            width: 455 + root.extraWidth
            height: 36
            text: root.video_url
            placeholderText: "https://www.youtube.com/watch?v=..."
            placeholderTextColor: "#9aa5ad"
            color: root.ink
            selectByMouse: true
            font.pixelSize: 13
            leftPadding: 12
            background: Rectangle {
                radius: 6
                color: root.card
                border.color: addressField.activeFocus ? root.blue : root.line
                border.width: addressField.activeFocus ? 2 : 1
            }
            onTextEdited: root.video_url = text
            onAccepted: root.addAddress()
        }

        PushButton {
            objectName: "addButton"
            x: 503 + root.extraWidth
            y: 97
            width: 112
            label: "Add"
            icon: "plus"
            tone: root.blue
            onClicked: root.addAddress()
        }

        Text {
            x: 40
            y: 150
            text: "DOWNLOAD LIST"
            color: root.muted
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
            onClicked: root.send("ID_FS_retryFailed")
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
                tone: root.mintDark
                width: 96
                enabledLook: root.startDownload !== "0"
                onClicked: root.send("IDC_FS_startDownload")
            }
            PushButton {
                objectName: "stopButton"
                label: "Stop"
                icon: "stop"
                tone: root.danger
                outlined: true
                width: 84
                enabledLook: root.downloadBtn === "0"
                onClicked: root.send("IDC_FS_stopDownload")
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
                onClicked: root.send("IDC_FS_selectAllD")
            }
            ToolLink {
                objectName: "removeButton"
                label: "Remove"
                onClicked: root.send("IDC_FS_removeSelectedD")
            }
            ToolLink {
                objectName: "upButton"
                label: "Up"
                icon: "up"
                onClicked: root.send("IDC_FS_moveUp")
            }
            ToolLink {
                objectName: "downButton"
                label: "Down"
                icon: "down"
                onClicked: root.send("IDC_FS_moveDown")
            }
            ToolLink {
                objectName: "clearButton"
                label: "Clear completed"
                onClicked: root.send("ID_FS_clearComplete")
            }
        }

        // The list lies over this rectangle; the panel gives it a soft edge.
        Rectangle {
            x: 36
            y: 216
            width: 583 + root.extraWidth
            height: 186 + root.extraHeight
            radius: 6
            color: "#e8ebee"
            border.color: "#c9d4dc"
        }

        Text {
            x: 40
            y: 416 + root.extraHeight
            text: "SAVE VIDEOS TO"
            color: root.muted
            font.pixelSize: 11
            font.bold: true
            font.letterSpacing: 1
        }
        Rectangle {
            x: 40
            y: 434 + root.extraHeight
            width: 455 + root.extraWidth
            height: 34
            radius: 6
            color: root.card
            border.color: root.line
            Glyph {
                x: 10
                anchors.verticalCenter: parent.verticalCenter
                kind: "folder"
                tint: root.leaf
            }
            Text {
                x: 34
                width: parent.width - 44
                anchors.verticalCenter: parent.verticalCenter
                text: root.download_dir
                elide: Text.ElideMiddle
                color: root.ink
                font.pixelSize: 13
            }
        }
        PushButton {
            objectName: "browseButton"
            x: 503 + root.extraWidth
            y: 434 + root.extraHeight
            width: 112
            label: "Change..."
            tone: root.blue
            outlined: true
            onClicked: root.send("ID_FS_downloadBrowse")
        }

        // Clipboard watching and other sites, as switches.
        SwitchRow {
            objectName: "watchSwitch"
            x: 40
            y: 482 + root.extraHeight
            width: 330
            on: root.autoToDownloadList_CB === "1"
            label: "Add video addresses I copy to the clipboard"
            onToggled: wanted => {
                root.autoToDownloadList_CB = wanted ? "1" : "0"
                root.send(wanted ? "ID_FS_autoDownloadCheck" : "ID_FS_autoDownloadUncheck")
            }
        }
        SwitchRow {
            objectName: "anySiteSwitch"
            x: 385
            y: 482 + root.extraHeight
            width: 230
            on: root.anySite_CB === "1"
            label: "Also try pages of other sites"
            onToggled: wanted => {
                root.anySite_CB = wanted ? "1" : "0"
                root.send(wanted ? "ID_FS_anySiteCheck" : "ID_FS_anySiteUncheck")
            }
        }
    }

    // ---- about -----------------------------------------------------------

    Item {
        id: aboutPage
        visible: root.page === "about"
        x: 0
        y: 56
        width: parent.width
        height: 466

        Card {
            x: 40
            y: 36
            width: 560
            height: 236
            Image {
                x: 32
                y: 32
                width: 96
                height: 96
                source: "reelcatch.png"
                sourceSize: Qt.size(192, 192)
                smooth: true
            }
            Text {
                x: 152
                y: 40
                text: "Reelcatch"
                color: root.ink
                font.pixelSize: 26
                font.bold: true
            }
            Text {
                x: 152
                y: 80
                width: 376
                wrapMode: Text.WordWrap
                text: root.aboutTxt.replace(/\r\n/g, "\n")
                color: root.muted
                font.pixelSize: 13
                lineHeight: 1.2
            }
            Row {
                x: 152
                y: 170
                spacing: 10
                PushButton {
                    objectName: "webSiteButton"
                    label: "Web site"
                    icon: "link"
                    tone: root.blue
                    onClicked: root.send("ID_FS_webSite")
                }
                PushButton {
                    objectName: "guideButton"
                    label: "User guide"
                    tone: root.blue
                    outlined: true
                    onClicked: root.send("IDC_FS_Help")
                }
            }
        }
    }

    // ---- footer ----------------------------------------------------------

    Rectangle {
        y: 522 + root.extraHeight
        width: parent.width
        height: 28
        color: "#e9e8e6"
        Rectangle {
            width: parent.width
            height: 1
            color: root.line
        }
        Row {
            x: 40
            anchors.verticalCenter: parent.verticalCenter
            spacing: 18
            FooterLink {
                objectName: "helpLink"
                text: "Help"
                onClicked: root.send("IDC_FS_Help")
            }
            FooterLink {
                objectName: "webSiteLink"
                text: "Web site"
                onClicked: root.send("ID_FS_webSite")
            }
        }
        Text {
            anchors.right: parent.right
            anchors.rightMargin: 25
            anchors.verticalCenter: parent.verticalCenter
            objectName: "footerLine"
            text: !root.running ? root.aboutTxt.split(/\r?\n/)[0]
                  : root.progressTxt !== "" ? root.progressTxt : "Downloading..."
            color: root.running ? root.mintDark : root.muted
            font.pixelSize: 12
            font.bold: root.running
        }
    }
}
