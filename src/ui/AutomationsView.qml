import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// The settings tab's automations: the three profiles, the skills that run automatically, and the
// per-skill grid behind "Customize", with the profile confirmation and the skill sheet.
ColumnLayout {
    id: view
    objectName: "automationsView"
    required property AutomationsSection section
    spacing: 10

    Text { text: "Choose your protection level"; color: Obsidian.dim; font.pixelSize: 12 }

    RowLayout {
        Layout.fillWidth: true
        spacing: 10
        Repeater {
            model: Profiles.cards
            delegate: ProfileCard {
                required property var modelData
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                profile: modelData
                isActive: view.section.activeProfile === modelData.id
                isLoading: view.section.isApplyingProfile
                onTapped: (id) => view.section.chooseProfile(id)
            }
        }
    }

    ColumnLayout {
        objectName: "activeTasks"
        visible: view.section.hasActiveTasks
        Layout.fillWidth: true
        Layout.topMargin: 4
        spacing: 6
        Text {
            objectName: "activeTasksCount"
            text: view.section.activeTasksText
            color: Obsidian.safe; font.pixelSize: 10; font.bold: true; font.family: "monospace"
        }
        GridLayout {
            id: chips
            Layout.fillWidth: true
            columns: 4; columnSpacing: 6; rowSpacing: 6
            Repeater {
                model: view.section.activeChips
                // A fixed quarter of the row, so a lone chip does not stretch across it.
                delegate: Rectangle {
                    required property var modelData
                    objectName: "chip_" + modelData.id
                    Layout.preferredWidth: Math.floor((view.width - 3 * chips.columnSpacing) / 4)
                    implicitHeight: 22
                    radius: 5
                    color: Qt.rgba(Obsidian.safe.r, Obsidian.safe.g, Obsidian.safe.b, 0.10)
                    border.color: Qt.rgba(Obsidian.safe.r, Obsidian.safe.g, Obsidian.safe.b, 0.30)
                    Row {
                        anchors.verticalCenter: parent.verticalCenter
                        x: 6; width: parent.width - 12
                        spacing: 4
                        Text { text: modelData.emoji; font.family: Obsidian.emojiFont; font.pixelSize: 10 }
                        Text { text: modelData.name; color: "white"; font.pixelSize: 10; elide: Text.ElideRight; width: parent.width - 20 }
                    }
                }
            }
        }
    }

    Item {
        objectName: "customizeToggle"
        implicitWidth: customizeRow.implicitWidth
        implicitHeight: customizeRow.implicitHeight + 6
        RowLayout {
            id: customizeRow
            anchors.verticalCenter: parent.verticalCenter
            spacing: 6
            Icon { name: view.section.showCustomizeGrid ? "chevron.down" : "chevron.right"; color: Obsidian.accent; implicitWidth: 11; implicitHeight: 11 }
            Text { text: "Customize"; color: Obsidian.accent; font.pixelSize: 12; font.weight: Font.Medium }
        }
        MouseArea { anchors.fill: parent; cursorShape: Qt.PointingHandCursor; onClicked: view.section.toggleCustomizeGrid() }
    }

    // Unfolds in 0.2 s; the clip hides the grid while it grows.
    Item {
        objectName: "skillGridFrame"
        Layout.fillWidth: true
        implicitHeight: view.section.showCustomizeGrid ? grid.implicitHeight : 0
        visible: implicitHeight > 0
        clip: true
        Behavior on implicitHeight { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }
        GridLayout {
            id: grid
            objectName: "autoSkillGrid"
            width: parent.width
            columns: 3; columnSpacing: 8; rowSpacing: 8
            Repeater {
                model: view.section.skills
                delegate: AutoSkillCard {
                    required property var modelData
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    skill: modelData
                    onTapped: view.section.selectSkill(modelData.id)
                }
            }
        }
    }

    ProfileDemoSheet {
        id: demo
        onConfirmed: view.section.confirmProfile()
        onCancelled: view.section.cancelProfile()
    }
    Connections {
        target: view.section
        function onPendingProfileChanged() {
            if (view.section.hasPendingProfile) {
                demo.profileName = view.section.pendingProfile
                demo.open()
            } else if (demo.opened) {
                demo.close()
            }
        }
    }
    AutoSkillSheet { section: view.section }
}
