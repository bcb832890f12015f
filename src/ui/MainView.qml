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
            // The command console plugs in here.
            Item {
                objectName: "consoleSlot"
                anchors.fill: parent
                opacity: root.model.selectedTab === DashboardModel.ControlTab ? 1 : 0
                enabled: opacity === 1
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

    // The threat scan plugs in here; STRIKE presents it.
    Item {
        objectName: "threatScanSlot"
        anchors.fill: parent
        visible: root.model.showStrike
    }
}
