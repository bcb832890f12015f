import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Halvex.Ui

// One entry of a tile's menu: a symbol and a text.
MenuItem {
    id: item
    property string symbol
    property color tint: "white"
    implicitHeight: 26
    contentItem: RowLayout {
        spacing: 8
        Icon { name: item.symbol; color: item.tint; implicitWidth: 12; implicitHeight: 12 }
        Text { text: item.text; color: item.tint; font.pixelSize: 12; Layout.fillWidth: true }
    }
    background: Rectangle { radius: 4; color: item.highlighted ? Obsidian.btnBg : "transparent" }
}
