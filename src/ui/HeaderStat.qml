import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// One counter of the header: the number above its label.
ColumnLayout {
    property string label
    property string value
    spacing: 1
    Text { Layout.alignment: Qt.AlignHCenter; text: parent.value; color: "white"; font.pixelSize: 22; font.bold: true }
    Text {
        Layout.alignment: Qt.AlignHCenter
        text: parent.label; color: Obsidian.dim
        font.pixelSize: 10; font.weight: Font.DemiBold; font.letterSpacing: 1.5
    }
}
