import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// One monitoring profile as a tappable card.
//   profile:   one entry of Profiles.cards ({id, name, icon, taskCountText, detail})
//   isActive:  the profile in force: accent outline and an "ACTIVE" badge
//   isLoading: a profile is being applied: the inactive cards show a spinner
//   tapped(profileId): the card was clicked
// Inner items are named after the profile id: profileName_<id>, activeBadge_<id>, profileSpinner_<id>.
Rectangle {
    id: card
    required property var profile
    property bool isActive: false
    property bool isLoading: false
    signal tapped(string profileId)

    objectName: "profileCard_" + profile.id
    implicitWidth: 150
    implicitHeight: column.implicitHeight + 24
    radius: 10
    color: isActive ? Qt.rgba(Obsidian.accent.r, Obsidian.accent.g, Obsidian.accent.b, 0.14)
                    : hover.hovered ? Obsidian.raised : Obsidian.surface
    border.width: isActive ? 1.5 : 1
    border.color: isActive ? Obsidian.accent : Obsidian.border
    scale: hover.hovered ? 1.03 : 1.0
    Behavior on scale { NumberAnimation { duration: 150; easing.type: Easing.OutQuad } }

    ColumnLayout {
        id: column
        anchors { left: parent.left; right: parent.right; top: parent.top; margins: 12 }
        spacing: 4
        RowLayout {
            Layout.fillWidth: true
            Icon { name: card.profile.icon; color: card.isActive ? Obsidian.accent : "white"; implicitWidth: 16; implicitHeight: 16 }
            Item { Layout.fillWidth: true }
            Rectangle {
                objectName: "activeBadge_" + card.profile.id
                visible: card.isActive
                implicitWidth: badge.implicitWidth + 8; implicitHeight: badge.implicitHeight + 4; radius: 4
                color: Obsidian.accent
                Text { id: badge; anchors.centerIn: parent; text: "ACTIVE"; color: "white"; font.pixelSize: 8; font.bold: true; font.letterSpacing: 1.0 }
            }
            Spinner {
                objectName: "profileSpinner_" + card.profile.id
                visible: card.isLoading && !card.isActive
            }
        }
        Text { objectName: "profileName_" + card.profile.id; text: card.profile.name; color: "white"; font.pixelSize: 12; font.bold: true }
        Text { text: card.profile.taskCountText; color: card.isActive ? Obsidian.accent : Obsidian.dim; font.pixelSize: 10; font.weight: Font.Medium; font.family: "monospace" }
        Text { text: card.profile.detail; color: Obsidian.dim; font.pixelSize: 9; wrapMode: Text.Wrap; Layout.fillWidth: true }
    }

    HoverHandler { id: hover }
    MouseArea { anchors.fill: parent; cursorShape: Qt.PointingHandCursor; onClicked: card.tapped(card.profile.id) }
}
