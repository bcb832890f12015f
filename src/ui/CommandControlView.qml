import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// The "Commands" tab: category bar, skill tiles, transcript and input line, one above the other,
// and the script editor sheet.
Rectangle {
    id: view
    required property CommandConsole commands
    readonly property color terminalGreen: Qt.rgba(0.25, 0.85, 0.5, 1)
    color: Obsidian.bg

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        SkillCategoryBar { commands: view.commands; Layout.fillWidth: true }
        Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: Obsidian.border }
        SkillGrid {
            commands: view.commands
            terminalGreen: view.terminalGreen
            Layout.fillWidth: true
        }
        Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: Obsidian.border }
        TerminalOutput {
            commands: view.commands
            terminalGreen: view.terminalGreen
            Layout.fillWidth: true
            Layout.fillHeight: true
        }
        Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: Obsidian.border }
        TerminalInput { commands: view.commands; terminalGreen: view.terminalGreen; Layout.fillWidth: true }
    }

    CustomScriptEditorView { editor: view.commands.editor }
}
