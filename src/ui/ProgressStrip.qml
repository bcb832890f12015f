import QtQuick
import Halvex.Ui

// A thin linear progress bar: `value` from 0 to 1, eased as it moves.
Rectangle {
    property real value
    implicitHeight: 4
    radius: 2
    color: Obsidian.btnBg
    Rectangle {
        width: parent.width * Math.max(0, Math.min(1, parent.value))
        height: parent.height
        radius: parent.radius
        color: Obsidian.accent
        Behavior on width { NumberAnimation { duration: 400; easing.type: Easing.InOutQuad } }
    }
}
