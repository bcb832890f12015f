import QtQuick
import Halvex.Ui

// Every skill category in order; the selected one is tinted with its accent. On a narrow window the
// categories wrap onto another line, so none hides past the edge.
Item {
    id: bar
    required property CommandConsole commands
    implicitHeight: categories.implicitHeight + 16

    Flow {
        id: categories
        objectName: "skillCategoryBar"
        anchors { left: parent.left; right: parent.right; top: parent.top; leftMargin: 12; rightMargin: 12; topMargin: 8 }
        spacing: 3
        Repeater {
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
}
