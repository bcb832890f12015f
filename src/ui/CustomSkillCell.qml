import QtQuick
import QtQuick.Controls
import Halvex.Ui

// A script skill of the user: tagged "CUSTOM"; its menu switches automation, edits or deletes it.
SkillTile {
    id: cell
    signal toggleAuto()
    signal edit()
    signal remove()

    onMenuRequested: (x, y) => menu.popup(cell, x, y)

    Rectangle {
        anchors { top: parent.top; left: parent.left; margins: 4 }
        width: tag.implicitWidth + 8
        height: tag.implicitHeight + 2
        radius: 3
        color: Qt.rgba(cell.accent.r, cell.accent.g, cell.accent.b, 0.12)
        Text {
            id: tag
            anchors.centerIn: parent
            text: "CUSTOM"
            color: cell.accent
            font.pixelSize: 6
            font.bold: true
        }
    }

    TileMenu {
        id: menu
        AutoMenuItem { isAutomated: cell.isAutomated; onTriggered: cell.toggleAuto() }
        MenuSeparator {}
        TileMenuItem { objectName: "editScript"; text: "Edit script"; symbol: "pencil"; onTriggered: cell.edit() }
        TileMenuItem {
            objectName: "deleteScript"
            text: "Delete this script?"
            symbol: "trash"
            tint: Obsidian.danger
            onTriggered: cell.remove()
        }
    }
}
