import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Halvex.Ui

// Whether the local backend runs, and "Start" when it does not but its service is installed.
Rectangle {
    id: card
    objectName: "servicesCard"
    required property DashboardModel model
    color: Obsidian.surface
    radius: 10
    border.color: Obsidian.border
    implicitHeight: row.implicitHeight + 28

    // Anchored rather than laid out: the row's parts keep their places whatever the texts measure.
    Item {
        id: row
        anchors { left: parent.left; right: parent.right; verticalCenter: parent.verticalCenter; leftMargin: 16; rightMargin: 16 }
        implicitHeight: titles.implicitHeight
        Icon {
            id: stateIcon
            anchors { left: parent.left; verticalCenter: parent.verticalCenter }
            width: 20; height: 20
            name: card.model.isConnected ? "bolt.fill" : "bolt.slash.fill"
            color: card.model.isConnected ? Obsidian.safe : Obsidian.danger
        }
        ColumnLayout {
            id: titles
            anchors { left: stateIcon.right; leftMargin: 12; verticalCenter: parent.verticalCenter }
            spacing: 2
            Text { objectName: "servicesTitle"; text: "Halvex Services"; color: "white"; font.pixelSize: 14; font.weight: Font.DemiBold }
            Text { text: "Telegram · Commands · Automations"; color: Obsidian.dim; font.pixelSize: 12 }
        }
        RowLayout {
            anchors { right: parent.right; verticalCenter: parent.verticalCenter }
            spacing: 12
            Text {
                objectName: "servicesState"
                text: card.model.isConnected ? "Running" : "Not running"
                color: card.model.isConnected ? Obsidian.safe : Obsidian.dim
                font.pixelSize: 12; font.weight: Font.Medium
            }
            Rectangle {
                objectName: "startBackend"
                visible: card.model.showStartButton
                enabled: !card.model.restartingBackend
                implicitWidth: startRow.implicitWidth + 16; implicitHeight: 26; radius: 6
                color: Obsidian.btnBg
                RowLayout {
                    id: startRow
                    anchors.centerIn: parent
                    spacing: 5
                    Icon { visible: !card.model.restartingBackend; name: "arrow.clockwise"; color: "white"; Layout.preferredWidth: 12; Layout.preferredHeight: 12 }
                    BusyIndicator { visible: card.model.restartingBackend; running: visible; Layout.preferredWidth: 16; Layout.preferredHeight: 16; palette.dark: Obsidian.accent }
                    Text {
                        objectName: "startLabel"
                        text: card.model.restartingBackend ? "Starting…" : "Start"
                        color: "white"; font.pixelSize: 12
                    }
                }
                MouseArea { anchors.fill: parent; onClicked: card.model.startBackend() }
            }
        }
    }
}
