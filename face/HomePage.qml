import QtQuick
import QtQuick.Controls.Basic

// The first page: what the program does, and the sites it knows.
Item {
    id: homePage
    property Item face
    visible: face.page === "home"
    x: 0
    y: 56
    width: parent.width
    height: 466

    Text {
        x: 40
        y: 34
        text: "Keep the videos you like."
        color: Theme.ink
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
        color: Theme.muted
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
                    color: index === 2 ? Theme.mint : (index === 1 ? Theme.leaf : Theme.blue)
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
                    color: Theme.ink
                    font.pixelSize: 15
                    font.bold: true
                }
                Text {
                    x: 16
                    y: 56
                    width: 152
                    wrapMode: Text.WordWrap
                    text: modelData.body
                    color: Theme.muted
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
        tone: Theme.mintDark
        onClicked: face.showPage("downloads", "IDC_FS_Download")
    }

    Text {
        x: 40
        y: 354
        text: "SUPPORTED SITES"
        color: Theme.muted
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
                    color: Theme.blue
                    font.pixelSize: 12
                }
            }
        }
    }
}
