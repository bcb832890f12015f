import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Halvex.Ui

// One sensor: its symbol, its name and how its watch stands ("Monitored", "Unavailable", "Paused").
// An unavailable watch tells why in its tooltip.
RowLayout {
    id: row
    property string icon
    property string label
    property string status
    property string reason
    property bool active
    property color statusGreen: Obsidian.safeGreen
    readonly property color tint: active ? statusGreen : Obsidian.dim
    spacing: 10
    Layout.topMargin: 7
    Layout.bottomMargin: 7
    Icon { name: row.icon; color: row.tint; implicitWidth: 13; implicitHeight: 13 }
    Text { text: row.label; color: "white"; font.pixelSize: 13 }
    Item { Layout.fillWidth: true }
    Text {
        objectName: "status"
        text: row.status; color: row.tint; font.pixelSize: 11
        HoverHandler { id: hover; enabled: row.reason !== "" }
        ToolTip.visible: hover.hovered
        ToolTip.text: row.reason
    }
}
