import QtQuick
import QtQuick.Controls.Basic

// The footer: help links, and the version or the running download's line.
Rectangle {
    property Item face
    y: 522 + face.extraHeight
    width: parent.width
    height: 28
    color: "#e9e8e6"
    Rectangle {
        width: parent.width
        height: 1
        color: Theme.line
    }
    Row {
        x: 40
        anchors.verticalCenter: parent.verticalCenter
        spacing: 18
        FooterLink {
            objectName: "helpLink"
            text: "Help"
            onClicked: face.send("IDC_FS_Help")
        }
        FooterLink {
            objectName: "webSiteLink"
            text: "Web site"
            onClicked: face.send("ID_FS_webSite")
        }
    }
    Text {
        anchors.right: parent.right
        anchors.rightMargin: 25
        anchors.verticalCenter: parent.verticalCenter
        objectName: "footerLine"
        text: !face.running ? face.aboutTxt.split(/\r?\n/)[0]
              : face.progressTxt !== "" ? face.progressTxt : "Downloading..."
        color: face.running ? Theme.mintDark : Theme.muted
        font.pixelSize: 12
        font.bold: face.running
    }
}
