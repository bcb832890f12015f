import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// The threat scan behind STRIKE: six scans at once, each row turning clean or threat as its reply
// comes, then the offer to switch to the paranoid profile.
Rectangle {
    id: sheet
    objectName: "strikeSheet"
    required property StrikeScan scan
    signal closeRequested()

    width: 420
    implicitHeight: column.implicitHeight + 40
    radius: 12
    color: Obsidian.surface
    border.color: Obsidian.border

    ColumnLayout {
        id: column
        anchors { left: parent.left; right: parent.right; top: parent.top; margins: 20 }
        spacing: 12

        RowLayout {
            Layout.fillWidth: true
            spacing: 10
            Icon { name: "bolt.fill"; color: Obsidian.orange; implicitWidth: 20; implicitHeight: 20 }
            ColumnLayout {
                spacing: 2
                Layout.fillWidth: true
                Text { text: "STRIKE BACK"; color: "white"; font.pixelSize: 16; font.bold: true; font.letterSpacing: 1.0 }
                Text { text: "6 scans launched simultaneously — real-time results"; color: Obsidian.dim; font.pixelSize: 11 }
            }
            Spinner { objectName: "strikeProgress"; visible: sheet.scan.showProgress; color: Obsidian.orange; implicitWidth: 18; implicitHeight: 18 }
            Icon { objectName: "strikeDone"; visible: sheet.scan.allFinished; name: "checkmark.circle.fill"; color: Obsidian.safe; implicitWidth: 18; implicitHeight: 18 }
        }

        Repeater {
            model: sheet.scan.tasks
            delegate: Rectangle {
                id: row
                required property var modelData
                required property int index
                objectName: "strikeRow_" + index
                Layout.fillWidth: true
                implicitHeight: rowLayout.implicitHeight + 16
                radius: 8
                color: Obsidian.raised
                RowLayout {
                    id: rowLayout
                    anchors { left: parent.left; right: parent.right; verticalCenter: parent.verticalCenter; leftMargin: 10; rightMargin: 10 }
                    spacing: 10
                    Text { text: row.modelData.emoji; font.family: Obsidian.emojiFont; font.pixelSize: 16; Layout.preferredWidth: 24; Layout.alignment: Qt.AlignTop }
                    ColumnLayout {
                        spacing: 2
                        Layout.fillWidth: true
                        Text { text: row.modelData.name; color: "white"; font.pixelSize: 12; Layout.fillWidth: true }
                        Text {
                            objectName: "strikeResult_" + row.index
                            visible: row.modelData.hasResult
                            text: row.modelData.result
                            color: row.modelData.status === "threat" ? Obsidian.orange : Obsidian.dim
                            font.pixelSize: 10; font.family: "monospace"
                            wrapMode: Text.WrapAnywhere
                            Layout.fillWidth: true
                        }
                    }
                    Item {
                        objectName: "strikeStatus_" + row.index
                        readonly property string status: row.modelData.status
                        Layout.preferredWidth: 70
                        Layout.alignment: Qt.AlignVCenter
                        implicitHeight: 18
                        Text {
                            visible: row.modelData.status === "waiting"
                            anchors.right: parent.right; anchors.verticalCenter: parent.verticalCenter
                            text: "—"; color: Obsidian.dim; font.pixelSize: 10; font.family: "monospace"
                        }
                        Spinner {
                            visible: row.modelData.status === "running"
                            anchors.right: parent.right; anchors.verticalCenter: parent.verticalCenter
                        }
                        RowLayout {
                            readonly property bool threat: row.modelData.status === "threat"
                            visible: row.modelData.status === "clean" || threat
                            anchors.right: parent.right; anchors.verticalCenter: parent.verticalCenter
                            spacing: 4
                            Icon {
                                name: parent.threat ? "exclamationmark.triangle.fill" : "checkmark"
                                color: parent.threat ? Obsidian.orange : Obsidian.safe
                                implicitWidth: 11; implicitHeight: 11
                            }
                            Text {
                                text: parent.threat ? "Threat!" : "Clean"
                                color: parent.threat ? Obsidian.orange : Obsidian.safe
                                font.pixelSize: 11; font.bold: true
                            }
                        }
                    }
                }
            }
        }

        Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: Obsidian.border }

        RowLayout {
            objectName: "paranoidActivated"
            visible: sheet.scan.paranoidActivated
            Layout.fillWidth: true
            spacing: 8
            Icon { name: "lock.shield.fill"; color: Obsidian.safe; implicitWidth: 13; implicitHeight: 13 }
            Text { text: "Paranoid profile activated — maximum monitoring active."; color: Obsidian.safe; font.pixelSize: 11; wrapMode: Text.Wrap; Layout.fillWidth: true }
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 8
            PanelButton { objectName: "strikeClose"; text: "Close"; onClicked: sheet.closeRequested() }
            Item { Layout.fillWidth: true }
            PanelButton {
                objectName: "activateParanoid"
                visible: !sheet.scan.paranoidActivated
                enabled: sheet.scan.canActivateParanoid
                opacity: enabled ? 1.0 : 0.4
                text: "Activate Paranoid"; icon: "lock.shield.fill"
                fill: Obsidian.accent
                onClicked: sheet.scan.activateParanoid()
            }
        }
    }
}
