import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// One page of the set-up window: a symbol, a title and a text over the page's own content, shown
// while its step is current and faded in and out over a quarter second.
Item {
    id: page
    property int index
    property int current
    property string icon
    property color iconColor: Obsidian.accent
    property string title
    property string text
    default property alias content: body.data
    visible: opacity > 0
    opacity: index === current ? 1 : 0
    enabled: index === current
    Behavior on opacity { NumberAnimation { duration: 250; easing.type: Easing.InOutQuad } }

    ColumnLayout {
        anchors { fill: parent; margins: 28 }
        spacing: 14
        Icon {
            visible: page.icon !== ""
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 8
            name: page.icon; color: page.iconColor
            implicitWidth: 52; implicitHeight: 52
        }
        Text {
            objectName: "title_" + page.index
            Layout.fillWidth: true
            text: page.title; color: "white"
            font.pixelSize: 20; font.bold: true
            horizontalAlignment: Text.AlignHCenter; wrapMode: Text.WordWrap
        }
        Text {
            objectName: "text_" + page.index
            visible: page.text !== ""
            Layout.fillWidth: true
            text: page.text; color: Obsidian.dim
            font.pixelSize: 13; lineHeight: 1.2
            horizontalAlignment: Text.AlignHCenter; wrapMode: Text.WordWrap
        }
        ColumnLayout {
            id: body
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 10
        }
    }
}
