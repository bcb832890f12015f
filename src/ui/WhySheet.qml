import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Halvex.Ui

// Why an access matters and what to do about it, for one feed row.
Popup {
    id: sheet
    objectName: "whySheet"
    property string app
    property string desc
    property color riskColor
    property string badgeSymbol
    property string riskLabel
    property string explanation
    property var whatToDo: []

    function present(row) {
        app = row.friendlyName
        desc = row.friendlyDesc
        riskColor = row.riskColor
        badgeSymbol = row.badgeSymbol
        riskLabel = row.riskLabel
        explanation = row.explanation
        open()
    }

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: 400
    height: 380
    modal: true
    padding: 20
    background: Rectangle { color: Obsidian.surface; radius: 12; border.color: Obsidian.border }

    contentItem: ColumnLayout {
        spacing: 14
        RowLayout {
            Layout.fillWidth: true
            spacing: 12
            Rectangle {
                Layout.alignment: Qt.AlignTop
                implicitWidth: 34; implicitHeight: 34; radius: 8
                color: Qt.rgba(sheet.riskColor.r, sheet.riskColor.g, sheet.riskColor.b, 0.12)
                Icon { anchors.centerIn: parent; name: sheet.badgeSymbol; color: sheet.riskColor; width: 18; height: 18 }
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 3
                // A long name wraps inside the sheet rather than pushing the close button out of it.
                Text {
                    objectName: "whyApp"
                    Layout.fillWidth: true
                    text: sheet.app; color: "white"; font.pixelSize: 15; font.bold: true
                    wrapMode: Text.WrapAtWordBoundaryOrAnywhere
                }
                Text { text: sheet.desc; color: Obsidian.dim; font.pixelSize: 12; wrapMode: Text.Wrap; Layout.fillWidth: true }
                Rectangle {
                    implicitWidth: label.implicitWidth + 12; implicitHeight: label.implicitHeight + 4; radius: height / 2
                    color: Qt.rgba(sheet.riskColor.r, sheet.riskColor.g, sheet.riskColor.b, 0.15)
                    Text { id: label; objectName: "whyRisk"; anchors.centerIn: parent; text: sheet.riskLabel; color: sheet.riskColor; font.pixelSize: 12 }
                }
            }
            Item {
                objectName: "whyClose"
                Layout.alignment: Qt.AlignTop
                implicitWidth: 22; implicitHeight: 22
                Icon { anchors.fill: parent; name: "xmark.circle.fill"; color: Obsidian.dim }
                MouseArea { anchors.fill: parent; onClicked: sheet.close() }
            }
        }
        Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: Obsidian.border }
        Text { text: "Why does this matter?"; color: "white"; font.pixelSize: 13; font.bold: true }
        Text {
            objectName: "whyExplanation"
            text: sheet.explanation; color: Obsidian.dim; font.pixelSize: 12
            wrapMode: Text.Wrap; Layout.fillWidth: true
        }
        Text { text: "What should I do?"; color: "white"; font.pixelSize: 13; font.bold: true }
        Repeater {
            model: sheet.whatToDo
            delegate: Text {
                required property string modelData
                text: "•  " + modelData; color: Obsidian.dim; font.pixelSize: 12
                wrapMode: Text.Wrap; Layout.fillWidth: true
            }
        }
        Item { Layout.fillHeight: true }
    }
}
