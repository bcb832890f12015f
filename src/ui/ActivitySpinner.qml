import QtQuick
import Halvex.Ui

// A small indeterminate progress indicator: a notched circle turning while it is visible.
Icon {
    id: spinner
    name: "progress.indicator"
    color: Obsidian.dim
    implicitWidth: 14
    implicitHeight: 14
    NumberAnimation on rotation {
        running: spinner.visible
        from: 0
        to: 360
        duration: 900
        loops: Animation.Infinite
    }
}
