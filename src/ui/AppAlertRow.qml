import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Halvex.Ui

// One application of the feed: risk badge, what it did, when and how often, and its actions.
Rectangle {
    id: row
    required property int index
    required property string alertId
    required property string app
    required property string friendlyName
    required property string friendlyDesc
    required property string headline
    required property bool isSystem
    required property color riskColor
    required property string badgeSymbol
    required property string riskLabel
    required property var chips
    required property string time
    required property string countText
    required property string details
    required property string explanation
    required property bool blocked
    property string systemCapsule: "Apple"
    property bool showDetails: false
    signal whyRequested(var row)
    signal blockRequested(string alertId, string name)

    objectName: "alertRow_" + index
    color: Obsidian.surface
    implicitHeight: layout.implicitHeight + 20

    ColumnLayout {
        id: layout
        anchors { left: parent.left; right: parent.right; top: parent.top; margins: 10; leftMargin: 16; rightMargin: 16 }
        spacing: 6

        // Anchored rather than laid out: the title block takes exactly the room between badge and actions.
        Item {
            id: line
            Layout.fillWidth: true
            implicitHeight: Math.max(34, titleBlock.implicitHeight)

            Rectangle {
                id: badge
                anchors { left: parent.left; verticalCenter: parent.verticalCenter }
                width: 34; height: 34; radius: 8
                color: Qt.rgba(row.riskColor.r, row.riskColor.g, row.riskColor.b, 0.12)
                Icon { anchors.centerIn: parent; name: row.badgeSymbol; color: row.riskColor; width: 18; height: 18 }
            }

            Column {
                id: titleBlock
                anchors { left: badge.right; leftMargin: 12; right: actions.left; rightMargin: 12; verticalCenter: parent.verticalCenter }
                spacing: 4
                Row {
                    width: parent.width
                    spacing: 6
                    Text {
                        objectName: "headline_" + row.index
                        width: Math.min(implicitWidth, parent.width - (capsuleBox.visible ? capsuleBox.width + 6 : 0))
                        text: row.headline; color: "white"; font.pixelSize: 14; font.weight: Font.DemiBold
                        elide: Text.ElideRight
                    }
                    // Built-in components carry a capsule after their name.
                    Rectangle {
                        id: capsuleBox
                        visible: row.isSystem
                        anchors.verticalCenter: parent.verticalCenter
                        width: capsule.implicitWidth + 10; height: capsule.implicitHeight + 4; radius: height / 2
                        color: Obsidian.raised
                        Text { id: capsule; anchors.centerIn: parent; text: row.systemCapsule; color: Obsidian.dim; font.pixelSize: 10 }
                    }
                }
                // Wraps on a narrow window rather than running under the actions.
                Flow {
                    objectName: "chips_" + row.index
                    width: parent.width
                    spacing: 8
                    Repeater {
                        model: row.chips
                        delegate: Row {
                            required property var modelData
                            spacing: 3
                            Icon { anchors.verticalCenter: parent.verticalCenter; name: modelData.icon; color: modelData.color; width: 11; height: 11 }
                            Text { text: modelData.label; color: modelData.color; font.pixelSize: 11 }
                        }
                    }
                    Text { visible: row.time !== ""; text: row.time; color: Obsidian.dim; font.pixelSize: 11 }
                    Text {
                        objectName: "count_" + row.index
                        visible: row.countText !== ""
                        text: row.countText; color: Obsidian.orange
                        font.pixelSize: 11; font.bold: true; font.family: "monospace"
                    }
                }
            }

            Row {
                id: actions
                anchors { right: parent.right; verticalCenter: parent.verticalCenter }
                spacing: 8

                Rectangle {
                    objectName: "why_" + row.index
                    anchors.verticalCenter: parent.verticalCenter
                    width: 30; height: 30; radius: 6
                    color: whyHover.hovered ? Obsidian.raised : "transparent"
                    Icon { anchors.centerIn: parent; name: "info.circle"; color: Obsidian.dim; width: 16; height: 16 }
                    HoverHandler { id: whyHover }
                    ToolTip.visible: whyHover.hovered
                    ToolTip.text: "Pourquoi c'est important ?"
                    MouseArea { anchors.fill: parent; onClicked: row.whyRequested(row) }
                }

                Rectangle {
                    objectName: "block_" + row.index
                    anchors.verticalCenter: parent.verticalCenter
                    width: blockRow.implicitWidth + 16; height: 26; radius: 6
                    color: row.blocked ? Qt.rgba(0.188, 0.82, 0.345, 0.15) : Qt.rgba(1, 0.231, 0.188, 0.18)
                    Row {
                        id: blockRow
                        anchors.centerIn: parent
                        spacing: 4
                        Icon {
                            anchors.verticalCenter: parent.verticalCenter
                            name: row.blocked ? "checkmark" : "hand.raised.fill"
                            color: row.blocked ? Obsidian.safe : Obsidian.danger
                            width: 11; height: 11
                        }
                        Text {
                            objectName: "blockLabel_" + row.index
                            text: row.blocked ? "Bloqué" : "Bloquer"
                            color: row.blocked ? Obsidian.safe : Obsidian.danger
                            font.pixelSize: 11; font.weight: Font.DemiBold
                        }
                    }
                    MouseArea {
                        anchors.fill: parent
                        onClicked: if (!row.blocked) row.blockRequested(row.alertId, row.friendlyName)
                    }
                }

                // The chevron's place is kept in every row, so the buttons line up down the feed.
                Item {
                    anchors.verticalCenter: parent.verticalCenter
                    width: 22; height: 22
                    Item {
                        objectName: "chevron_" + row.index
                        anchors.fill: parent
                        visible: row.details !== ""
                        Icon { anchors.centerIn: parent; name: row.showDetails ? "chevron.up" : "chevron.down"; color: Obsidian.dim; width: 12; height: 12 }
                        MouseArea { anchors.fill: parent; onClicked: row.showDetails = !row.showDetails }
                    }
                }
            }
        }

        Text {
            objectName: "details_" + row.index
            visible: row.showDetails && row.details !== ""
            Layout.fillWidth: true
            Layout.leftMargin: 46
            text: row.details; color: Obsidian.dim; font.pixelSize: 11; font.family: "monospace"
            wrapMode: Text.WrapAnywhere
            opacity: visible ? 1 : 0
            Behavior on opacity { NumberAnimation { duration: 150; easing.type: Easing.InOutQuad } }
        }
    }
}
