import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Halvex.Ui

// "Disconnect Telegram?": the card's disconnection waits for this confirmation.
Popup {
    id: dialog
    objectName: "disconnectConfirm"
    required property TelegramCardModel card
    // Opened and closed by the model's flag; closing it any other way (Escape, a click beside it) cancels.
    Connections {
        target: dialog.card
        function onShowDisconnectConfirmChanged() {
            if (dialog.card.showDisconnectConfirm)
                dialog.open()
            else
                dialog.close()
        }
    }
    onClosed: card.cancelDisconnect()

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: 340
    modal: true
    // The keyboard comes here, so Escape reaches it.
    focus: true
    padding: 20
    background: Rectangle { color: Obsidian.raised; radius: 12; border.color: Obsidian.border }

    contentItem: ColumnLayout {
        spacing: 12
        Text { objectName: "disconnectTitle"; text: "Disconnect Telegram?"; color: "white"; font.pixelSize: 15; font.bold: true; Layout.fillWidth: true }
        Text { text: "You can reconnect anytime from here."; color: Obsidian.dim; font.pixelSize: 13; Layout.fillWidth: true; wrapMode: Text.Wrap }
        RowLayout {
            Layout.alignment: Qt.AlignRight
            spacing: 8
            PanelButton { objectName: "disconnectCancel"; text: "Cancel"; onClicked: dialog.card.cancelDisconnect() }
            PanelButton { objectName: "disconnectConfirmButton"; text: "Disconnect"; fill: Obsidian.danger; onClicked: dialog.card.confirmDisconnect() }
        }
    }
}
