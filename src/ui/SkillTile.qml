import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// The face every skill tile shares: emoji above the name, the automation dot, a slight grow under
// the pointer. A left click taps it; a right click asks for its menu.
Rectangle {
    id: tile
    property string skillId
    property string emoji
    property string name
    property color accent
    property color terminalGreen
    property bool isAutomated
    readonly property bool hovered: area.containsMouse
    signal tapped()
    signal menuRequested(real x, real y)

    radius: 8
    color: area.pressed ? Obsidian.raised : Obsidian.surface
    border.width: isAutomated ? 1.5 : 1.0
    border.color: isAutomated ? Qt.rgba(terminalGreen.r, terminalGreen.g, terminalGreen.b, 0.5)
                              : Qt.rgba(accent.r, accent.g, accent.b, 0.22)
    scale: hovered ? 1.025 : 1.0
    Behavior on scale { NumberAnimation { duration: 100; easing.type: Easing.OutQuad } }

    ColumnLayout {
        anchors.centerIn: parent
        width: parent.width - 8
        spacing: 3
        Text {
            Layout.alignment: Qt.AlignHCenter
            text: tile.emoji
            font.family: Obsidian.emojiFont
            font.pixelSize: 20
        }
        Text {
            objectName: "tileName"
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            text: tile.name
            color: "white"
            elide: Text.ElideRight
            font.pixelSize: 9
            font.weight: Font.Medium
        }
    }
    Rectangle {
        objectName: "autoDot"
        visible: tile.isAutomated
        width: 6; height: 6; radius: 3
        color: tile.terminalGreen
        anchors { top: parent.top; right: parent.right; margins: 5 }
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        acceptedButtons: Qt.LeftButton | Qt.RightButton
        onClicked: (mouse) => {
            if (mouse.button === Qt.RightButton)
                tile.menuRequested(mouse.x, mouse.y)
            else
                tile.tapped()
        }
    }
}
