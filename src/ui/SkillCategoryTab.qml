import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// One category of the bar: its symbol and label on a tint of its accent while selected.
Rectangle {
    id: tab
    property string label
    property string icon
    property color accent
    property bool selected
    signal clicked()
    implicitWidth: row.implicitWidth + 24
    radius: 6
    color: selected ? Qt.rgba(accent.r, accent.g, accent.b, 0.12) : "transparent"
    border.width: 1
    border.color: selected ? Qt.rgba(accent.r, accent.g, accent.b, 0.3) : "transparent"
    Behavior on color { ColorAnimation { duration: 120; easing.type: Easing.InOutQuad } }
    Behavior on border.color { ColorAnimation { duration: 120; easing.type: Easing.InOutQuad } }

    RowLayout {
        id: row
        anchors.centerIn: parent
        spacing: 5
        Icon {
            name: tab.icon
            color: tab.selected ? tab.accent : Obsidian.dim
            implicitWidth: 10; implicitHeight: 10
        }
        Text {
            text: tab.label
            color: tab.selected ? tab.accent : Obsidian.dim
            font.pixelSize: 11
            font.weight: tab.selected ? Font.DemiBold : Font.Normal
        }
    }
    MouseArea { anchors.fill: parent; cursorShape: Qt.PointingHandCursor; onClicked: tab.clicked() }
}
