import QtQuick
import QtQuick.Controls.Basic

// A labelled on/off switch; a click asks for the other state.
Item {
    id: sw
    property bool on: false
    property string label
    signal toggled(bool wanted)
    activeFocusOnTab: true
    Keys.onReturnPressed: sw.toggled(!sw.on)
    Keys.onEnterPressed: sw.toggled(!sw.on)
    Keys.onSpacePressed: sw.toggled(!sw.on)
    height: 26
    Rectangle {
        id: track
        width: 40
        height: 22
        radius: 11
        anchors.verticalCenter: parent.verticalCenter
        color: sw.on ? Theme.mintDark : "#c3c9ce"
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
        color: Theme.ink
        font.pixelSize: 13
    }
    MouseArea {
        anchors.fill: parent
        cursorShape: Qt.PointingHandCursor
        onClicked: sw.toggled(!sw.on)
    }
    FocusRing {
    }
}
