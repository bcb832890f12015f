import QtQuick
import QtQuick.Controls
import Halvex.Ui

// A plain single-line field of the script editor on the raised fill.
TextField {
    color: "white"
    placeholderTextColor: Qt.rgba(1, 1, 1, 0.3)
    selectByMouse: true
    background: Rectangle { color: Obsidian.raised; radius: 6; border.color: Obsidian.border }
}
