import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// A small monospaced label above one field of the script editor.
ColumnLayout {
    id: field
    property string label
    spacing: 4
    Text {
        text: field.label
        color: Obsidian.dim
        font.family: "monospace"
        font.pixelSize: 10
        font.weight: Font.DemiBold
    }
}
