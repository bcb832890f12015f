import QtQuick
import QtQuick.Controls
import Halvex.Ui

// The tiles of the selected category, six columns at the default width and fewer on a narrow window
// (DashboardLayout decides); the custom category lists the user's scripts and the "New script" tile.
GridView {
    id: grid
    required property CommandConsole commands
    property color terminalGreen
    objectName: "skillGrid"
    readonly property int columns: DashboardLayout.skillColumns(width - leftMargin - rightMargin)
    readonly property int rowsShown: DashboardLayout.skillRowsShown(columns)
    readonly property int gap: 6
    topMargin: 10
    bottomMargin: 10 - gap
    leftMargin: 10
    // Each cell carries the gap on its right and below; the last column's gap is part of the inset.
    rightMargin: 10 - gap
    cellWidth: Math.floor((width - leftMargin - rightMargin) / columns)
    cellHeight: 56 + gap
    // Two rows with room to spare, as designed; each row more, one cell taller.
    implicitHeight: 156 + (rowsShown - 2) * cellHeight
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    model: grid.commands.tiles
    ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

    delegate: Item {
        id: cell
        required property int index
        required property string skillId
        required property string emoji
        required property string name
        required property bool isCustom
        required property bool isNewScript
        required property bool isAutomated
        required property bool canAutomate
        width: grid.cellWidth - grid.gap
        height: 56

        Loader {
            anchors.fill: parent
            sourceComponent: cell.isNewScript ? newTile : cell.isCustom ? customCell : skillCell
        }
        Component {
            id: skillCell
            SkillCell {
                objectName: "tile_" + cell.skillId
                skillId: cell.skillId
                emoji: cell.emoji
                name: cell.name
                accent: grid.commands.accent
                terminalGreen: grid.terminalGreen
                isAutomated: cell.isAutomated
                canAutomate: cell.canAutomate
                onTapped: grid.commands.runSkill(cell.skillId)
                onToggleAuto: grid.commands.toggleAutomation(cell.skillId)
            }
        }
        Component {
            id: customCell
            CustomSkillCell {
                objectName: "tile_" + cell.skillId
                skillId: cell.skillId
                emoji: cell.emoji
                name: cell.name
                accent: grid.commands.accent
                terminalGreen: grid.terminalGreen
                isAutomated: cell.isAutomated
                onTapped: grid.commands.runSkill(cell.skillId)
                onToggleAuto: grid.commands.toggleAutomation(cell.skillId)
                onEdit: grid.commands.editScript(cell.skillId)
                onRemove: grid.commands.deleteScript(cell.skillId)
            }
        }
        Component {
            id: newTile
            NewScriptTile {
                objectName: "newScriptTile"
                accent: grid.commands.accent
                onClicked: grid.commands.newScript()
            }
        }
    }
}
