import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// One monitored sensor: its symbol, its name and whether it is watched.
RowLayout {
    property string icon
    property string label
    property bool active
    property color statusGreen: Obsidian.safeGreen
    readonly property color tint: active ? statusGreen : Obsidian.dim
    spacing: 10
    Layout.topMargin: 7
    Layout.bottomMargin: 7
    Icon { name: parent.icon; color: parent.tint; implicitWidth: 13; implicitHeight: 13 }
    Text { text: parent.label; color: "white"; font.pixelSize: 13 }
    Item { Layout.fillWidth: true }
    Text { text: parent.active ? "Monitored" : "Paused"; color: parent.tint; font.pixelSize: 11 }
}
