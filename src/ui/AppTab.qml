import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// One tab button: accent while selected, dim otherwise.
Rectangle {
    id: tab
    required property DashboardModel model
    property string icon
    property string label
    property int tab
    readonly property bool selected: model.selectedTab === tab.tab
    readonly property color foreground: selected ? Obsidian.accent : Obsidian.dim
    implicitWidth: content.implicitWidth + 28
    implicitHeight: content.implicitHeight + 14
    radius: 6
    color: selected ? Qt.rgba(0.369, 0.361, 0.902, 0.12) : "transparent"
    RowLayout {
        id: content
        anchors.centerIn: parent
        spacing: 6
        Icon { name: tab.icon; color: tab.foreground; implicitWidth: 13; implicitHeight: 13 }
        Text { objectName: tab.objectName + "Label"; text: tab.label; color: tab.foreground; font.pixelSize: 14 }
    }
    MouseArea { anchors.fill: parent; onClicked: tab.model.selectedTab = tab.tab }
}
