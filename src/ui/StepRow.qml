import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// A numbered instruction: the number in a small tinted circle, then the text.
RowLayout {
    id: row
    property int number
    property string text
    property color tint: Obsidian.accent
    property int textSize: 13
    spacing: 10
    Layout.fillWidth: true
    Rectangle {
        implicitWidth: 22; implicitHeight: 22; radius: 11
        color: Qt.rgba(row.tint.r, row.tint.g, row.tint.b, 0.15)
        Text { anchors.centerIn: parent; text: row.number; color: row.tint; font.pixelSize: 11; font.bold: true }
    }
    Text {
        Layout.fillWidth: true
        text: row.text; color: "white"; font.pixelSize: row.textSize
        wrapMode: Text.WordWrap
    }
}
