import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Halvex.Ui

// What a monitoring profile watches, with "Cancel" and "Activate". A modal popup 340 wide over the
// window; open() it after setting profileName.
//   profileName: the profile key shown ("essentiel", "business", "paranoid"; others show themselves)
//   confirmed(profileId): "Activate" was pressed; the sheet closes itself
//   cancelled():          "Cancel", Escape or a click outside; the sheet closes itself
// Exactly one of the two signals follows every open().
Popup {
    id: sheet
    objectName: "profileDemoSheet"
    property string profileName: "essentiel"
    signal confirmed(string profileId)
    signal cancelled()

    readonly property var info: Profiles.demo(profileName)
    property bool decided: false

    onAboutToShow: decided = false
    onClosed: if (!decided) cancelled()

    function decide(confirm) {
        decided = true
        close()
        if (confirm)
            confirmed(profileName)
        else
            cancelled()
    }

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: 340
    modal: true
    focus: true
    padding: 20
    background: Rectangle { color: Obsidian.surface; radius: 12; border.color: Obsidian.border }

    component SheetButton: Rectangle {
        id: button
        property string text
        property string icon
        property color fill
        signal clicked()
        Layout.fillWidth: true
        implicitHeight: 32
        radius: 7
        color: area.pressed ? Qt.lighter(fill, 1.3) : fill
        RowLayout {
            anchors.centerIn: parent
            spacing: 6
            Icon { visible: button.icon !== ""; name: button.icon; color: "white"; implicitWidth: 13; implicitHeight: 13 }
            Text { text: button.text; color: "white"; font.pixelSize: 12; font.weight: Font.DemiBold }
        }
        MouseArea { id: area; anchors.fill: parent; onClicked: button.clicked() }
    }

    contentItem: ColumnLayout {
        spacing: 12
        RowLayout {
            spacing: 10
            Icon { name: sheet.info.icon; color: Obsidian.accent; implicitWidth: 22; implicitHeight: 22 }
            Text { objectName: "demoTitle"; text: sheet.info.title; color: "white"; font.pixelSize: 16; font.bold: true }
        }
        Text { text: "Here's what this profile monitors for you"; color: Obsidian.dim; font.pixelSize: 11 }
        Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: Obsidian.border }
        Repeater {
            model: sheet.info.lines
            delegate: RowLayout {
                required property var modelData
                required property int index
                Layout.fillWidth: true
                spacing: 8
                Text { text: modelData.emoji; font.family: Obsidian.emojiFont; font.pixelSize: 14; Layout.preferredWidth: 22 }
                Text {
                    objectName: "demoLine_" + index
                    text: modelData.text; color: "white"; font.pixelSize: 12
                    wrapMode: Text.Wrap; Layout.fillWidth: true
                }
            }
        }
        RowLayout {
            Layout.fillWidth: true
            Layout.topMargin: 4
            spacing: 8
            SheetButton { objectName: "demoCancel"; text: "Cancel"; fill: Obsidian.btnBg; onClicked: sheet.decide(false) }
            SheetButton { objectName: "demoActivate"; text: "Activate"; icon: "checkmark.circle.fill"; fill: Obsidian.accent; onClicked: sheet.decide(true) }
        }
    }
}
