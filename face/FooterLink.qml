import QtQuick
import QtQuick.Controls.Basic

// A link in the footer.
Text {
    id: fl
    signal clicked
    activeFocusOnTab: true
    Keys.onReturnPressed: fl.clicked()
    Keys.onEnterPressed: fl.clicked()
    Keys.onSpacePressed: fl.clicked()
    color: flMouse.containsMouse ? Theme.blue : Theme.muted
    font.pixelSize: 12
    font.underline: flMouse.containsMouse
    MouseArea {
        id: flMouse
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: fl.clicked()
    }
    FocusRing {
    }
}
