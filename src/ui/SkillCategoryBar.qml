import QtQuick
import Halvex.Ui

// Every skill category in order, scrolling sideways; the selected one is tinted with its accent.
Item {
    id: bar
    required property CommandConsole commands
    implicitHeight: 28 + 16

    ListView {
        objectName: "skillCategoryBar"
        anchors { fill: parent; topMargin: 8; bottomMargin: 8 }
        orientation: ListView.Horizontal
        leftMargin: 12
        rightMargin: 12
        spacing: 3
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        model: bar.commands.categories
        delegate: SkillCategoryTab {
            required property var modelData
            required property int index
            objectName: "category_" + index
            label: modelData.label
            icon: modelData.icon
            accent: modelData.accent
            selected: bar.commands.categoryIndex === index
            height: 28
            onClicked: bar.commands.categoryIndex = index
        }
    }
}
