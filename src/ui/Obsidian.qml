pragma Singleton
import QtQuick

// The dark palette of every view.
QtObject {
    readonly property color bg: Qt.rgba(0.051, 0.051, 0.063, 1)
    readonly property color surface: Qt.rgba(0.079, 0.079, 0.102, 1)
    readonly property color raised: Qt.rgba(0.11, 0.11, 0.137, 1)
    readonly property color border: Qt.rgba(1, 1, 1, 0.10)
    readonly property color dim: Qt.rgba(1, 1, 1, 0.55)
    readonly property color accent: Qt.rgba(0.369, 0.361, 0.902, 1)
    readonly property color safe: Qt.rgba(0.188, 0.82, 0.345, 1)
    readonly property color danger: Qt.rgba(1.0, 0.231, 0.188, 1)
    readonly property color safeGreen: Qt.rgba(0.13, 0.55, 0.13, 1)
    readonly property color orange: "#ff9500"
    readonly property color btnBg: Qt.rgba(1, 1, 1, 0.10)
    readonly property string emojiFont: "Noto Color Emoji"
}
