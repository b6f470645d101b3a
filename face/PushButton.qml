import QtQuick
import QtQuick.Controls.Basic

// A solid or outlined push button.
Rectangle {
    id: pb
    property string label
    property string icon: ""
    property color tone: Theme.blue
    property bool outlined: false
    property bool enabledLook: true
    signal clicked
    activeFocusOnTab: true
    Keys.onReturnPressed: if (pb.enabledLook) pb.clicked()
    Keys.onEnterPressed: if (pb.enabledLook) pb.clicked()
    Keys.onSpacePressed: if (pb.enabledLook) pb.clicked()
    implicitWidth: pbRow.implicitWidth + 28
    height: 34
    radius: 6
    opacity: enabledLook ? 1.0 : 0.45
    color: outlined ? (pbMouse.containsMouse && enabledLook ? Qt.lighter(tone, 1.9) : Theme.card)
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
    FocusRing {
    }
}
