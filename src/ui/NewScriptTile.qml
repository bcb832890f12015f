import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// The last tile of the custom category: opens the script editor for a new script.
Rectangle {
    id: tile
    property color accent
    signal clicked()
    radius: 8
    color: area.pressed ? Obsidian.raised : "transparent"
    border.width: 1
    border.color: Qt.rgba(accent.r, accent.g, accent.b, 0.3)
    scale: area.containsMouse ? 1.025 : 1.0
    Behavior on scale { NumberAnimation { duration: 100; easing.type: Easing.OutQuad } }

    ColumnLayout {
        anchors.centerIn: parent
        spacing: 4
        Icon {
            Layout.alignment: Qt.AlignHCenter
            name: "plus"
            color: Qt.rgba(tile.accent.r, tile.accent.g, tile.accent.b, 0.7)
            implicitWidth: 18; implicitHeight: 18
        }
        Text {
            Layout.alignment: Qt.AlignHCenter
            text: "New script"
            color: Obsidian.dim
            font.pixelSize: 9
            font.weight: Font.Medium
        }
    }
    MouseArea { id: area; anchors.fill: parent; hoverEnabled: true; cursorShape: Qt.PointingHandCursor; onClicked: tile.clicked() }
}
