import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// A text link with a leading symbol.
RowLayout {
    id: link
    property string text
    property string icon: "arrow.up.right.square"
    property color tint: Obsidian.accent
    property int textSize: 12
    property bool bold: true
    signal clicked()
    spacing: 5
    Icon { name: link.icon; color: link.tint; implicitWidth: 12; implicitHeight: 12 }
    Text {
        text: link.text; color: link.tint; font.pixelSize: link.textSize; font.weight: link.bold ? Font.DemiBold : Font.Normal
        MouseArea { anchors.fill: parent; cursorShape: Qt.PointingHandCursor; onClicked: link.clicked() }
    }
}
