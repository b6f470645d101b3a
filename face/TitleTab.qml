import QtQuick
import QtQuick.Controls.Basic

// A tab in the title bar.
Item {
    id: tab
    property string label
    property bool current: false
    property bool busy: false
    // The busy mark blinks: lit or dimmed.
    property bool lit: true
    signal clicked
    activeFocusOnTab: true
    Keys.onReturnPressed: tab.clicked()
    Keys.onEnterPressed: tab.clicked()
    Keys.onSpacePressed: tab.clicked()
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
        color: Theme.mint
        opacity: tab.lit ? 1.0 : 0.35
    }
    Rectangle {
        anchors.bottom: parent.bottom
        anchors.horizontalCenter: parent.horizontalCenter
        width: parent.width - 20
        height: 3
        radius: 1.5
        color: Theme.mint
        visible: tab.current
    }
    MouseArea {
        id: tabMouse
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: tab.clicked()
    }
    FocusRing {
        border.color: "white"
        gap: -6
    }
}
