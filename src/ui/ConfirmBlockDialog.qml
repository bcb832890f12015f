import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Halvex.Ui

// "Bloquer … ?": the force-quit of a feed row waits for this confirmation.
Popup {
    id: dialog
    objectName: "confirmBlock"
    property string alertId
    property string name
    signal confirmed(string alertId)

    function ask(id, friendlyName) {
        alertId = id
        name = friendlyName
        open()
    }

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: 360
    modal: true
    padding: 20
    background: Rectangle { color: Obsidian.raised; radius: 12; border.color: Obsidian.border }

    contentItem: ColumnLayout {
        spacing: 12
        Text {
            objectName: "confirmTitle"
            text: "Bloquer " + dialog.name + " ?"
            color: "white"; font.pixelSize: 15; font.bold: true
            Layout.fillWidth: true; wrapMode: Text.Wrap
        }
        Text {
            objectName: "confirmMessage"
            text: "Cette action va forcer la fermeture de " + dialog.name + ". Tu pourras la rouvrir normalement."
            color: Obsidian.dim; font.pixelSize: 13
            Layout.fillWidth: true; wrapMode: Text.Wrap
        }
        RowLayout {
            Layout.alignment: Qt.AlignRight
            spacing: 8
            PanelButton { objectName: "confirmCancel"; text: "Annuler"; onClicked: dialog.close() }
            PanelButton {
                objectName: "confirmBlockButton"
                text: "Bloquer cette app"; fill: Obsidian.danger
                onClicked: {
                    dialog.confirmed(dialog.alertId)
                    dialog.close()
                }
            }
        }
    }
}
