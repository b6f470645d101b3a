import QtQuick

// The mark of the control that has the keyboard focus: a ring around it.
Rectangle {
    objectName: "focusRing"
    property Item target: parent
    property real gap: 3
    anchors.fill: target
    anchors.margins: -gap
    radius: 7
    color: "transparent"
    border.color: Theme.focus
    border.width: 2
    visible: target.activeFocus
}
