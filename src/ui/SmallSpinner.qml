import QtQuick
import Halvex.Ui

// A small turning arc: work in progress inside a button or a row.
Item {
    id: spinner
    property color color: "white"
    implicitWidth: 14
    implicitHeight: 14
    Canvas {
        id: arc
        anchors.fill: parent
        onPaint: {
            const ctx = getContext("2d")
            ctx.reset()
            ctx.strokeStyle = spinner.color
            ctx.lineWidth = 2
            ctx.lineCap = "round"
            ctx.beginPath()
            ctx.arc(width / 2, height / 2, width / 2 - 2, 0, Math.PI * 1.5)
            ctx.stroke()
        }
        RotationAnimator on rotation { from: 0; to: 360; duration: 900; loops: Animation.Infinite; running: spinner.visible }
    }
}
