import QtQuick
import QtQuick.Controls.Basic

// The program's name, version and about text, and where to learn more.
Item {
    id: aboutPage
    property Item face
    visible: face.page === "about"
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
            color: Theme.ink
            font.pixelSize: 26
            font.bold: true
        }
        Text {
            x: 152
            y: 80
            width: 376
            wrapMode: Text.WordWrap
            text: face.aboutTxt.replace(/\r\n/g, "\n")
            color: Theme.muted
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
                tone: Theme.blue
                onClicked: face.send("ID_FS_webSite")
            }
            PushButton {
                objectName: "guideButton"
                label: "User guide"
                tone: Theme.blue
                outlined: true
                onClicked: face.send("IDC_FS_Help")
            }
        }
    }

    SwitchRow {
        objectName: "notifySwitch"
        x: 40
        y: 296
        width: 560
        on: face.notify_CB === "1"
        label: "Tell me when downloads end while the window is out of sight"
        onToggled: wanted => {
            face.notify_CB = wanted ? "1" : "0"
            face.send(wanted ? "ID_FS_notifyCheck" : "ID_FS_notifyUncheck")
        }
    }
}
