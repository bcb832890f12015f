import QtQuick
import Halvex.Ui

// "running" with one to three dots while a request is in flight.
Item {
    id: spinner
    property alias text: label.text
    property alias color: label.color
    objectName: "terminalSpinner"
    implicitHeight: label.implicitHeight
    Text {
        id: label
        x: 30
        font.family: "monospace"
        font.pixelSize: 11
    }
}
