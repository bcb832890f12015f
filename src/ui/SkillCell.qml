import QtQuick
import QtQuick.Controls
import Halvex.Ui

// A built-in skill; its menu switches the skill's automation, except for skills never scheduled.
SkillTile {
    id: cell
    property bool canAutomate
    signal toggleAuto()

    onMenuRequested: (x, y) => { if (cell.canAutomate) menu.popup(cell, x, y) }

    TileMenu {
        id: menu
        AutoMenuItem { isAutomated: cell.isAutomated; onTriggered: cell.toggleAuto() }
    }
}
