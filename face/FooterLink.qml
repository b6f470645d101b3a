import QtQuick
import QtQuick.Controls.Basic

// A link in the footer.
Text {
    id: fl
    signal clicked
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
}
