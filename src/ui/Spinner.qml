import QtQuick
import Halvex.Ui

// A small activity mark that stays legible at icon sizes: a turning arrow.
Icon {
    id: spinner
    name: "arrow.clockwise"
    color: Obsidian.accent
    implicitWidth: 14
    implicitHeight: 14
    RotationAnimator on rotation {
        from: 0; to: 360; duration: 900
        loops: Animation.Infinite
        running: spinner.visible
    }
}
