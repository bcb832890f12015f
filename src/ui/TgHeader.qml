import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// The Telegram card's head: its symbol in a tinted square, the title and, when given, a state badge.
RowLayout {
    id: head
    property color tint: Obsidian.dim
    property string badge
    spacing: 10
    Layout.fillWidth: true
    Rectangle {
        implicitWidth: 32; implicitHeight: 32; radius: 8
        color: Qt.rgba(head.tint.r, head.tint.g, head.tint.b, 0.12)
        Icon { anchors.centerIn: parent; name: "paperplane.fill"; color: head.tint; width: 16; height: 16 }
    }
    Text { objectName: "telegramTitle"; text: "Telegram"; color: "white"; font.pixelSize: 14; font.weight: Font.DemiBold }
    Item { Layout.fillWidth: true }
    Rectangle {
        visible: head.badge !== ""
        implicitWidth: badgeText.implicitWidth + 14; implicitHeight: badgeText.implicitHeight + 6; radius: 5
        color: Qt.rgba(head.tint.r, head.tint.g, head.tint.b, 0.1)
        Text { id: badgeText; objectName: "telegramBadge"; anchors.centerIn: parent; text: head.badge; color: head.tint; font.pixelSize: 11; font.weight: Font.DemiBold }
    }
}
