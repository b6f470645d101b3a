import QtQuick
import QtQuick.Controls.Basic

// A white panel with a soft edge.
Rectangle {
    color: Theme.card
    radius: 8
    border.color: Theme.line
    border.width: 1
}
