import QtQuick
import QtQuick.Controls
import Halvex.Ui

// The context menu of a skill tile, in the dark palette.
Menu {
    padding: 4
    background: Rectangle {
        implicitWidth: 180
        color: Obsidian.raised
        radius: 6
        border.color: Obsidian.border
    }
}
