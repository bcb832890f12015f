import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Halvex.Ui

// One group of accesses: what happened, when, how often, and the block button.
RowLayout {
    id: row
    required property int index
    required property string groupId
    required property string icon
    required property string sentence
    required property string desc
    required property string time
    required property string times
    required property bool blocked
    required property bool blocking
    signal block(string id)
    spacing: 6
    Text { text: row.icon; font.family: Obsidian.emojiFont; font.pixelSize: 14; Layout.preferredWidth: 22 }
    ColumnLayout {
        spacing: 1
        Layout.fillWidth: true
        Text {
            objectName: "sentence_" + row.index
            text: row.sentence; color: "white"; font.pixelSize: 12; font.weight: Font.DemiBold
            elide: Text.ElideRight; Layout.fillWidth: true
            ToolTip.text: row.desc
            ToolTip.visible: hover.hovered
            HoverHandler { id: hover }
        }
        RowLayout {
            spacing: 6
            Text { visible: row.time !== ""; text: row.time; color: Obsidian.dim; font.pixelSize: 10 }
            Text { visible: row.times !== ""; text: row.times; color: Obsidian.orange; font.pixelSize: 10; font.weight: Font.DemiBold }
        }
    }
    Icon { objectName: "blocked_" + row.index; visible: row.blocked; name: "checkmark.circle.fill"; color: Obsidian.safeGreen; implicitWidth: 16; implicitHeight: 16 }
    BusyIndicator { visible: row.blocking; running: visible; implicitWidth: 18; implicitHeight: 18 }
    PanelButton {
        objectName: "block_" + row.index
        visible: !row.blocked && !row.blocking
        text: "Block"; fill: Obsidian.danger
        onClicked: row.block(row.groupId)
    }
}
