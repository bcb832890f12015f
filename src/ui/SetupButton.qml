import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// A full-width button of the first-run screens: accent fill for the main action, plain otherwise.
Rectangle {
    id: button
    property string text
    property string icon
    property bool primary: true
    property bool busy: false
    signal clicked()
    Layout.fillWidth: true
    implicitHeight: 38
    radius: 9
    opacity: enabled ? 1 : 0.4
    color: primary ? (area.pressed ? Qt.darker(Obsidian.accent, 1.2) : Obsidian.accent)
                   : (area.pressed ? Qt.rgba(1, 1, 1, 0.16) : Obsidian.btnBg)
    RowLayout {
        anchors.centerIn: parent
        spacing: 7
        Icon { visible: button.icon !== "" && !button.busy; name: button.icon; color: "white"; implicitWidth: 14; implicitHeight: 14 }
        Spinner { visible: button.busy; color: "white" }
        Text { text: button.text; color: "white"; font.pixelSize: 13; font.weight: Font.DemiBold }
    }
    MouseArea { id: area; anchors.fill: parent; enabled: button.enabled; onClicked: button.clicked() }
}
