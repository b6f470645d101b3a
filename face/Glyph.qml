import QtQuick
import QtQuick.Controls.Basic

// A line-drawn icon.
Canvas {
    id: glyph
    property string kind: ""
    property color tint: "white"
    property real weight: 1.6
    width: 16
    height: 16
    onTintChanged: requestPaint()
    onKindChanged: requestPaint()
    onPaint: {
        var c = getContext("2d")
        c.reset()
        c.strokeStyle = tint
        c.fillStyle = tint
        c.lineWidth = weight
        c.lineCap = "round"
        c.lineJoin = "round"
        var w = width, h = height
        c.beginPath()
        if (kind === "close") {
            c.moveTo(w * 0.25, h * 0.25); c.lineTo(w * 0.75, h * 0.75)
            c.moveTo(w * 0.75, h * 0.25); c.lineTo(w * 0.25, h * 0.75)
            c.stroke()
        } else if (kind === "minimize") {
            c.moveTo(w * 0.25, h * 0.62); c.lineTo(w * 0.75, h * 0.62)
            c.stroke()
        } else if (kind === "tray") {
            c.moveTo(w * 0.5, h * 0.18); c.lineTo(w * 0.5, h * 0.6)
            c.moveTo(w * 0.32, h * 0.44); c.lineTo(w * 0.5, h * 0.62); c.lineTo(w * 0.68, h * 0.44)
            c.moveTo(w * 0.2, h * 0.66); c.lineTo(w * 0.2, h * 0.82)
            c.lineTo(w * 0.8, h * 0.82); c.lineTo(w * 0.8, h * 0.66)
            c.stroke()
        } else if (kind === "play") {
            c.moveTo(w * 0.3, h * 0.2); c.lineTo(w * 0.8, h * 0.5); c.lineTo(w * 0.3, h * 0.8)
            c.closePath(); c.fill()
        } else if (kind === "stop") {
            c.rect(w * 0.25, h * 0.25, w * 0.5, h * 0.5); c.fill()
        } else if (kind === "plus") {
            c.moveTo(w * 0.5, h * 0.2); c.lineTo(w * 0.5, h * 0.8)
            c.moveTo(w * 0.2, h * 0.5); c.lineTo(w * 0.8, h * 0.5)
            c.stroke()
        } else if (kind === "up") {
            c.moveTo(w * 0.25, h * 0.62); c.lineTo(w * 0.5, h * 0.36); c.lineTo(w * 0.75, h * 0.62)
            c.stroke()
        } else if (kind === "down") {
            c.moveTo(w * 0.25, h * 0.38); c.lineTo(w * 0.5, h * 0.64); c.lineTo(w * 0.75, h * 0.38)
            c.stroke()
        } else if (kind === "folder") {
            c.moveTo(w * 0.1, h * 0.25); c.lineTo(w * 0.4, h * 0.25); c.lineTo(w * 0.5, h * 0.36)
            c.lineTo(w * 0.9, h * 0.36); c.lineTo(w * 0.9, h * 0.8); c.lineTo(w * 0.1, h * 0.8)
            c.closePath(); c.stroke()
        } else if (kind === "link") {
            c.moveTo(w * 0.15, h * 0.85); c.lineTo(w * 0.8, h * 0.2)
            c.moveTo(w * 0.4, h * 0.2); c.lineTo(w * 0.8, h * 0.2); c.lineTo(w * 0.8, h * 0.6)
            c.stroke()
        }
    }
}
