import QtQuick
import QtQuick.Controls.Basic

// A button of the window's own frame, in the title bar.
Rectangle {
    id: fb
    property string kind
    property color hoverTone: Qt.rgba(1, 1, 1, 0.16)
    signal clicked
    activeFocusOnTab: true
    Keys.onReturnPressed: fb.clicked()
    Keys.onEnterPressed: fb.clicked()
    Keys.onSpacePressed: fb.clicked()
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
    FocusRing {
        border.color: "white"
        gap: -1
    }
}
