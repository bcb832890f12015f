import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// Title, monitoring state, today/all-time counters and the pulsing STRIKE button.
Rectangle {
    id: header
    required property DashboardModel model
    property real pulse: 0
    color: Obsidian.bg
    implicitHeight: row.implicitHeight + 28

    SequentialAnimation on pulse {
        loops: Animation.Infinite
        running: true
        NumberAnimation { from: 0; to: 1; duration: 1400; easing.type: Easing.InOutQuad }
        NumberAnimation { from: 1; to: 0; duration: 1400; easing.type: Easing.InOutQuad }
    }

    RowLayout {
        id: row
        anchors { left: parent.left; right: parent.right; leftMargin: 20; rightMargin: 20; verticalCenter: parent.verticalCenter }
        spacing: 10

        Icon { name: "shield.fill"; color: Obsidian.accent; implicitWidth: 18; implicitHeight: 18 }
        ColumnLayout {
            spacing: 1
            Text { objectName: "appTitle"; text: "HALVEX"; color: "white"; font.pixelSize: 20; font.bold: true; font.letterSpacing: 1.0 }
            Text {
                objectName: "monitoringState"
                text: header.model.monitoringText
                color: header.model.isMonitoring ? Obsidian.safe : Obsidian.dim
                font.pixelSize: 10; font.letterSpacing: 1.5
            }
        }
        Item { Layout.fillWidth: true }
        RowLayout {
            visible: header.model.hasStats
            spacing: 18
            HeaderStat { objectName: "statToday"; label: "TODAY"; value: header.model.todayText }
            Rectangle { objectName: "statsRule"; implicitWidth: 1; implicitHeight: 28; color: Obsidian.border }
            HeaderStat { objectName: "statAllTime"; label: "ALL TIME"; value: header.model.totalText }
        }
        Item { Layout.fillWidth: true }
        Rectangle {
            objectName: "strikeButton"
            readonly property real fillOpacity: header.model.hasThreat ? 0.25 : 0.14
            implicitWidth: strikeRow.implicitWidth + 24
            implicitHeight: 30
            radius: 8
            color: Qt.rgba(1, 0.584, 0, fillOpacity)
            border.width: 1.2
            border.color: Qt.rgba(1, 0.584, 0, 0.4 + 0.5 * header.pulse)
            RowLayout {
                id: strikeRow
                anchors.centerIn: parent
                spacing: 6
                Icon { name: "bolt.fill"; color: Obsidian.orange; implicitWidth: 13; implicitHeight: 13 }
                Text { objectName: "strikeLabel"; text: "STRIKE"; color: Obsidian.orange; font.pixelSize: 13; font.bold: true; font.letterSpacing: 1.0 }
            }
            MouseArea { anchors.fill: parent; cursorShape: Qt.PointingHandCursor; onClicked: header.model.showStrike = true }
        }
    }
    Rectangle { anchors.bottom: parent.bottom; width: parent.width; height: 1; color: Obsidian.border }
}
