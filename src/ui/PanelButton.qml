import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// A small rounded button with an optional symbol.
Rectangle {
    id: button
    property string text
    property string icon
    property color textColor: "white"
    property color fill: Obsidian.btnBg
    signal clicked()
    implicitWidth: row.implicitWidth + 16
    implicitHeight: 26
    radius: 6
    color: area.pressed ? Qt.lighter(fill, 1.4) : fill
    RowLayout {
        id: row
        anchors.centerIn: parent
        spacing: 5
        Icon { visible: button.icon !== ""; name: button.icon; color: button.textColor; implicitWidth: 12; implicitHeight: 12 }
        Text { text: button.text; color: button.textColor; font.pixelSize: 12; font.weight: Font.Medium }
    }
    MouseArea { id: area; anchors.fill: parent; onClicked: button.clicked() }
}
