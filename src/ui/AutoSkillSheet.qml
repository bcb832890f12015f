import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Halvex.Ui

// One skill's automation: how often it runs, when next, what it does, and the switch.
Popup {
    id: sheet
    objectName: "autoSkillSheet"
    required property AutomationsSection section
    readonly property var skill: section.selectedSkill

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: 340
    modal: true
    focus: true
    padding: 20
    onClosed: section.closeSkill()
    Connections {
        target: sheet.section
        function onSelectedSkillChanged() {
            if (sheet.section.hasSelectedSkill)
                sheet.open()
            else
                sheet.close()
        }
    }
    background: Rectangle { color: Obsidian.surface; radius: 12; border.color: Obsidian.border }

    component Heading: RowLayout {
        property string icon
        property string title
        spacing: 6
        Icon { name: parent.icon; color: Obsidian.dim; implicitWidth: 12; implicitHeight: 12 }
        Text { text: parent.title; color: "white"; font.pixelSize: 12; font.weight: Font.DemiBold }
    }

    contentItem: ColumnLayout {
        spacing: 12
        RowLayout {
            spacing: 10
            Layout.fillWidth: true
            Text { text: sheet.skill.emoji ?? ""; font.family: Obsidian.emojiFont; font.pixelSize: 26 }
            ColumnLayout {
                spacing: 2
                Layout.fillWidth: true
                Text { objectName: "autoSkillName"; text: sheet.skill.name ?? ""; color: "white"; font.pixelSize: 15; font.bold: true }
                Text { text: sheet.skill.category ?? ""; color: sheet.skill.categoryColor ?? Obsidian.dim; font.pixelSize: 11 }
            }
            Rectangle {
                readonly property bool auto: sheet.skill.isAutomated ?? false
                implicitWidth: badge.implicitWidth + 10; implicitHeight: badge.implicitHeight + 4; radius: 4
                color: auto ? Qt.rgba(Obsidian.safe.r, Obsidian.safe.g, Obsidian.safe.b, 0.18) : Obsidian.btnBg
                Text { id: badge; objectName: "autoSkillBadge"; anchors.centerIn: parent; text: sheet.skill.badge ?? ""; color: parent.auto ? Obsidian.safe : Obsidian.dim; font.pixelSize: 9; font.bold: true }
            }
        }
        Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: Obsidian.border }
        Heading { icon: "clock.fill"; title: "Frequency" }
        Text { objectName: "autoSkillSchedule"; text: sheet.skill.scheduleDesc ?? ""; color: "white"; font.pixelSize: 12; Layout.leftMargin: 18 }
        RowLayout {
            Layout.leftMargin: 18
            spacing: 5
            Icon { name: "arrow.clockwise"; color: Obsidian.dim; implicitWidth: 9; implicitHeight: 9 }
            Text { objectName: "autoSkillNextRun"; text: sheet.skill.nextRunText ?? ""; color: Obsidian.dim; font.pixelSize: 11 }
        }
        Heading { icon: "info.circle.fill"; title: "Action" }
        Text {
            objectName: "autoSkillAction"
            text: sheet.skill.actionText ?? ""
            color: Obsidian.dim; font.pixelSize: 11; wrapMode: Text.Wrap
            Layout.fillWidth: true; Layout.leftMargin: 18
        }
        Rectangle {
            objectName: "autoSkillToggle"
            readonly property bool auto: sheet.skill.isAutomated ?? false
            Layout.fillWidth: true
            implicitHeight: 34
            radius: 8
            color: auto ? Qt.rgba(Obsidian.danger.r, Obsidian.danger.g, Obsidian.danger.b, 0.22) : Obsidian.accent
            RowLayout {
                anchors.centerIn: parent
                spacing: 6
                Icon { name: sheet.skill.toggleIcon ?? ""; color: "white"; implicitWidth: 14; implicitHeight: 14 }
                Text { objectName: "autoSkillToggleText"; text: sheet.skill.toggleText ?? ""; color: "white"; font.pixelSize: 12; font.weight: Font.DemiBold }
            }
            MouseArea { anchors.fill: parent; onClicked: sheet.section.toggleSelectedSkill() }
        }
    }
}
