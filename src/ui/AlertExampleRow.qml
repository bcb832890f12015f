import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// An alert as it reaches the phone, shown as an example: the emoji in colour, two spaces, the words.
Rectangle {
    id: row
    property string emoji
    property string label
    readonly property string text: emoji + "  " + label
    Layout.fillWidth: true
    implicitHeight: 38
    radius: 8
    color: Obsidian.raised
    border.color: Obsidian.border
    RowLayout {
        anchors { left: parent.left; right: parent.right; verticalCenter: parent.verticalCenter; leftMargin: 12; rightMargin: 12 }
        spacing: 8
        Text { text: row.emoji; font.family: Obsidian.emojiFont; font.pixelSize: 18 }
        Text { Layout.fillWidth: true; text: row.label; color: "white"; font.pixelSize: 13; elide: Text.ElideRight }
    }
}
