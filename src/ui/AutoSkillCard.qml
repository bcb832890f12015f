import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// One automatable skill in the customise grid; a green dot and a stronger outline when it runs
// automatically.
Rectangle {
    id: card
    required property var skill // {id, emoji, name, isAutomated}
    signal tapped()

    objectName: "autoSkill_" + skill.id
    implicitHeight: 74
    radius: 9
    color: hover.hovered ? Obsidian.raised : Obsidian.surface
    border.width: skill.isAutomated ? 1.5 : 1
    border.color: skill.isAutomated ? Qt.rgba(Obsidian.safe.r, Obsidian.safe.g, Obsidian.safe.b, 0.6) : Obsidian.border
    scale: hover.hovered ? 1.03 : 1.0
    Behavior on scale { NumberAnimation { duration: 150; easing.type: Easing.OutQuad } }

    ColumnLayout {
        anchors.centerIn: parent
        width: parent.width - 16
        spacing: 4
        Text { text: card.skill.emoji; font.family: Obsidian.emojiFont; font.pixelSize: 22; Layout.alignment: Qt.AlignHCenter }
        Text {
            text: card.skill.name
            color: card.skill.isAutomated ? "white" : Obsidian.dim
            font.pixelSize: 10
            elide: Text.ElideRight; horizontalAlignment: Text.AlignHCenter
            Layout.fillWidth: true
        }
    }
    Rectangle {
        objectName: "autoDot_" + card.skill.id
        visible: card.skill.isAutomated
        anchors { top: parent.top; right: parent.right; margins: 7 }
        width: 7; height: 7; radius: 3.5
        color: Obsidian.safe
    }
    HoverHandler { id: hover }
    MouseArea { anchors.fill: parent; cursorShape: Qt.PointingHandCursor; onClicked: card.tapped() }
}
