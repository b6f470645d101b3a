import QtQuick
import QtQuick.Controls.Basic

// Title bar: drag handle, name, tabs and the window's buttons.
Rectangle {
    id: titleBar
    property Item face
    objectName: "titleBar"
    width: parent.width
    height: 56
    gradient: Gradient {
        orientation: Gradient.Horizontal
        GradientStop { position: 0.0; color: Theme.navy }
        GradientStop { position: 1.0; color: Theme.blue }
    }

    Timer {
        id: blink
        property bool lit: true
        interval: 650
        repeat: true
        running: face.running
        onTriggered: lit = !lit
        onRunningChanged: lit = true
    }

    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.LeftButton
        onPressed: face.send("IDC_FS_Drag")
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
        TitleTab {
            objectName: "homeTab"
            label: "Home"
            current: face.page === "home"
            onClicked: face.showPage("home", "IDC_FS_Slider")
        }
        TitleTab {
            objectName: "downloadsTab"
            label: "Downloads"
            current: face.page === "downloads"
            busy: face.running
            lit: blink.lit
            onClicked: face.showPage("downloads", "IDC_FS_Download")
        }
        TitleTab {
            objectName: "aboutTab"
            label: "About"
            current: face.page === "about"
            onClicked: face.showPage("about", "IDC_FS_About")
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
            onClicked: face.send("IDC_FS_Minimize")
        }
        FrameButton {
            objectName: "trayButton"
            kind: "tray"
            onClicked: face.send("IDC_FS_Tray")
        }
        FrameButton {
            objectName: "closeButton"
            kind: "close"
            hoverTone: Theme.danger
            onClicked: face.send("IDC_FS_Close")
        }
    }
}
