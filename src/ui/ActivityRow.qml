import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Halvex.Ui

// One group of accesses: what happened, when, how often, and the block button.
RowLayout {
    id: row
    required property var modelData
    required property int index
    signal block(string id)
    spacing: 6
    Text { text: row.modelData.icon; font.family: Obsidian.emojiFont; font.pixelSize: 14; Layout.preferredWidth: 22 }
    ColumnLayout {
        spacing: 1
        Layout.fillWidth: true
        Text {
            objectName: "sentence_" + row.index
            text: row.modelData.sentence; color: "white"; font.pixelSize: 12; font.weight: Font.DemiBold
            elide: Text.ElideRight; Layout.fillWidth: true
            ToolTip.text: row.modelData.desc
            ToolTip.visible: hover.hovered
            HoverHandler { id: hover }
        }
        RowLayout {
            spacing: 6
            Text { visible: row.modelData.time !== ""; text: row.modelData.time; color: Obsidian.dim; font.pixelSize: 10 }
            Text { visible: row.modelData.times !== ""; text: row.modelData.times; color: Obsidian.orange; font.pixelSize: 10; font.weight: Font.DemiBold }
        }
    }
    Icon { objectName: "blocked_" + row.index; visible: row.modelData.blocked; name: "checkmark.circle.fill"; color: Obsidian.safeGreen; implicitWidth: 16; implicitHeight: 16 }
    BusyIndicator { visible: row.modelData.blocking; running: visible; implicitWidth: 18; implicitHeight: 18 }
    PanelButton {
        objectName: "block_" + row.index
        visible: !row.modelData.blocked && !row.modelData.blocking
        text: "Block"; fill: Obsidian.danger
        onClicked: row.block(row.modelData.id)
    }
}
