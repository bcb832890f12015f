import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// Vigilance level and the apps that never raise an alert.
ColumnLayout {
    id: sheet
    required property AutomationSettings settings
    signal done()
    spacing: 6

    RowLayout {
        Icon { name: "slider.horizontal.3"; color: Obsidian.accent; implicitWidth: 16; implicitHeight: 16 }
        Text { text: "Monitoring automation"; color: "white"; font.pixelSize: 14; font.bold: true }
    }
    Text { text: "Vigilance level:"; color: Obsidian.dim; font.pixelSize: 11 }
    Repeater {
        model: sheet.settings.privacyLevels
        delegate: Item {
            required property var modelData
            required property int index
            objectName: "level_" + index
            Layout.fillWidth: true
            implicitHeight: 30
            RowLayout {
                anchors.fill: parent
                spacing: 8
                Rectangle {
                    width: 16; height: 16; radius: 8; color: "transparent"; border.color: Obsidian.dim
                    Rectangle { anchors.centerIn: parent; width: 8; height: 8; radius: 4; color: Obsidian.accent; visible: sheet.settings.privacyLevel === index }
                }
                Text { text: modelData.emoji; font.family: Obsidian.emojiFont; font.pixelSize: 14 }
                ColumnLayout {
                    spacing: 0
                    Text { text: modelData.title; color: "white"; font.pixelSize: 12 }
                    Text { text: modelData.desc; color: Obsidian.dim; font.pixelSize: 10 }
                }
            }
            MouseArea { anchors.fill: parent; onClicked: sheet.settings.privacyLevel = index }
        }
    }
    Text { text: "Always allowed apps"; color: "white"; font.pixelSize: 12; font.bold: true; Layout.topMargin: 4 }
    Text { text: "These apps will not trigger any alert."; color: Obsidian.dim; font.pixelSize: 10 }
    Repeater {
        model: sheet.settings.knownApps
        delegate: Item {
            required property var modelData
            objectName: "app_" + modelData.key
            Layout.fillWidth: true
            implicitHeight: 20
            readonly property bool allowed: sheet.settings.whitelistKeys.indexOf(modelData.key) >= 0
            RowLayout {
                anchors.fill: parent
                spacing: 8
                Icon { name: allowed ? "checkmark.square.fill" : "square"; color: allowed ? Obsidian.accent : Obsidian.dim; implicitWidth: 14; implicitHeight: 14 }
                Icon { name: modelData.symbol; color: "white"; implicitWidth: 12; implicitHeight: 12 }
                Text { text: modelData.label; color: "white"; font.pixelSize: 12; Layout.fillWidth: true }
            }
            MouseArea { anchors.fill: parent; onClicked: sheet.settings.toggle(modelData.key) }
        }
    }
    PanelButton { objectName: "privacyDone"; text: "Done"; Layout.alignment: Qt.AlignRight; onClicked: sheet.done() }
}
