pragma Singleton
import QtQuick

// The face's colours, matched to the download list's.
QtObject {
    readonly property color navy: "#1b4a69"
    readonly property color blue: "#276892"
    readonly property color leaf: "#54895d"
    readonly property color mint: "#3dd37c"
    readonly property color mintDark: "#2fb368"
    readonly property color paper: "#f3f2f1"
    readonly property color card: "#ffffff"
    readonly property color line: "#d9dcdf"
    readonly property color ink: "#22303a"
    readonly property color muted: "#6b7780"
    readonly property color danger: "#c8473d"
    // The keyboard focus ring on the light pages.
    readonly property color focus: "#1b4a69"
}
