import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// The dashboard: header, tab bar and the three tab contents, all alive at once; only the selected
// one is visible and takes clicks, so each keeps its state across a tab change.
Rectangle {
    id: root
    required property DashboardModel model
    color: Obsidian.bg

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        AppHeader { model: root.model; Layout.fillWidth: true }
        AppTabBar { model: root.model; Layout.fillWidth: true }

        Item {
            objectName: "tabStack"
            Layout.fillWidth: true
            Layout.fillHeight: true

            AlertsView {
                objectName: "alertsTab"
                anchors.fill: parent
                model: root.model
                opacity: root.model.selectedTab === DashboardModel.AlertsTab ? 1 : 0
                enabled: opacity === 1
            }
            Item {
                objectName: "consoleSlot"
                anchors.fill: parent
                opacity: root.model.selectedTab === DashboardModel.ControlTab ? 1 : 0
                enabled: opacity === 1
                CommandControlView { objectName: "commandControl"; anchors.fill: parent; commands: root.model.console }
            }
            DashboardSettingsView {
                objectName: "settingsTab"
                anchors.fill: parent
                model: root.model
                opacity: root.model.selectedTab === DashboardModel.SettingsTab ? 1 : 0
                enabled: opacity === 1
            }
        }
    }

    // The first-run sheet, while onboarding is not done.
    OnboardingView { model: root.model }

    // STRIKE presents the threat scan over a dimmed window; each opening brings a new scan.
    Item {
        objectName: "threatScanSlot"
        anchors.fill: parent
        visible: root.model.showStrike
        Rectangle {
            anchors.fill: parent
            color: Qt.rgba(0, 0, 0, 0.55)
            MouseArea { anchors.fill: parent; onClicked: {} } // the window below takes no clicks
        }
        Shortcut {
            sequence: StandardKey.Cancel
            enabled: root.model.showStrike
            onActivated: root.model.showStrike = false
        }
        // Long results make a tall sheet: on a short window it scrolls.
        Flickable {
            objectName: "strikeScroll"
            anchors.centerIn: parent
            width: strikeLoader.width
            height: Math.min(strikeLoader.height, parent.height - 32)
            contentWidth: strikeLoader.width
            contentHeight: strikeLoader.height
            boundsBehavior: Flickable.StopAtBounds
            clip: true
            Loader {
                id: strikeLoader
                active: root.model.strike !== null
                sourceComponent: StrikeBackSheet {
                    scan: root.model.strike
                    onCloseRequested: root.model.showStrike = false
                }
            }
        }
    }
}
