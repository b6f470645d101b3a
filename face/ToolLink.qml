import QtQuick
import QtQuick.Controls.Basic

// A quiet tool button for the list commands.
Rectangle {
    id: tl
    property string label
    property string icon: ""
    signal clicked
    activeFocusOnTab: true
    Keys.onReturnPressed: tl.clicked()
    Keys.onEnterPressed: tl.clicked()
    Keys.onSpacePressed: tl.clicked()
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
            tint: Theme.blue
            width: 13
            height: 13
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: tl.label
            color: Theme.blue
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
    FocusRing {
    }
}
