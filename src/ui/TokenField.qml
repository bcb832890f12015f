import QtQuick
import QtQuick.Controls
import Halvex.Ui

// The one-line field a bot token is pasted into.
TextField {
    id: field
    placeholderTextColor: Qt.rgba(1, 1, 1, 0.35)
    color: "white"
    font.pixelSize: 12
    font.family: "monospace"
    selectByMouse: true
    implicitHeight: 34
    leftPadding: 10
    rightPadding: 10
    background: Rectangle {
        radius: 7
        color: Obsidian.raised
        border.color: field.activeFocus ? Obsidian.accent : Obsidian.border
    }
}
