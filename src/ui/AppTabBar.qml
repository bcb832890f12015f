import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// The three tabs, then free space.
Rectangle {
    id: bar
    required property DashboardModel model
    color: Obsidian.bg
    implicitHeight: tabs.implicitHeight + 16

    RowLayout {
        id: tabs
        anchors { left: parent.left; right: parent.right; leftMargin: 12; rightMargin: 12; verticalCenter: parent.verticalCenter }
        spacing: 4
        AppTab { objectName: "tab_alerts"; icon: "bell.fill"; label: "Alerts"; tab: DashboardModel.AlertsTab; model: bar.model }
        AppTab { objectName: "tab_control"; icon: "terminal.fill"; label: "Commands"; tab: DashboardModel.ControlTab; model: bar.model }
        AppTab { objectName: "tab_settings"; icon: "gearshape.fill"; label: "Settings"; tab: DashboardModel.SettingsTab; model: bar.model }
        Item { Layout.fillWidth: true }
    }
    Rectangle { anchors.bottom: parent.bottom; width: parent.width; height: 1; color: Obsidian.border }
}
