import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// What the feed shows with nothing to show.
ColumnLayout {
    objectName: "alertsEmptyState"
    spacing: 10
    Rectangle {
        Layout.alignment: Qt.AlignHCenter
        implicitWidth: 72; implicitHeight: 72; radius: 36
        color: Qt.rgba(0.188, 0.82, 0.345, 0.08)
        Icon { anchors.centerIn: parent; name: "checkmark.shield.fill"; color: Obsidian.safe; width: 32; height: 32 }
    }
    Row {
        Layout.alignment: Qt.AlignHCenter
        spacing: 0
        Text { objectName: "emptyTitle"; text: "All clear "; color: "white"; font.pixelSize: 19 }
        // The emoji in the colour font; the title font would draw it in one colour.
        Text { text: "😌"; font.family: Obsidian.emojiFont; font.pixelSize: 19 }
    }
    Text {
        Layout.alignment: Qt.AlignHCenter
        text: "No suspicious access detected"; color: Obsidian.dim; font.pixelSize: 15
    }
}
