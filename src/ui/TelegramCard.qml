import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Halvex.Ui

// The settings tab's Telegram card in its four states: connected, pending (a token but no chat yet),
// unavailable (no backend) and set-up. TelegramCardModel decides; this lays it out.
Rectangle {
    id: card
    objectName: "telegramCard"
    required property TelegramCardModel model
    readonly property int state_: model.cardState
    color: Obsidian.surface
    radius: 10
    border.color: Obsidian.border
    implicitHeight: content.implicitHeight + 32

    ColumnLayout {
        id: content
        anchors { left: parent.left; right: parent.right; top: parent.top; margins: 16 }
        spacing: 10

        // Connected
        ColumnLayout {
            objectName: "telegramConnected"
            visible: card.state_ === TelegramCardModel.Connected
            Layout.fillWidth: true
            spacing: 10
            TgHeader { tint: Obsidian.safe; badge: "Connected" }
            Text {
                objectName: "telegramControls"
                Layout.fillWidth: true
                text: card.model.controlsText; color: "white"; font.pixelSize: 12; font.family: "monospace"
                wrapMode: Text.WordWrap
            }
            RowLayout {
                Layout.fillWidth: true
                LinkButton { objectName: "openBot"; text: card.model.openBotLabel; onClicked: card.model.openBot() }
                Item { Layout.fillWidth: true }
                Spinner { visible: card.model.disconnecting; color: Obsidian.dim }
                PanelButton {
                    objectName: "disconnectTelegram"
                    visible: !card.model.disconnecting
                    enabled: !card.model.disconnecting
                    icon: "xmark.circle"; text: "Disconnect"
                    onClicked: card.model.requestDisconnect()
                }
            }
        }

        // Pending
        ColumnLayout {
            objectName: "telegramPending"
            visible: card.state_ === TelegramCardModel.Pending
            Layout.fillWidth: true
            spacing: 9
            TgHeader { tint: Obsidian.orange; badge: "Pending" }
            Text { text: "Send /start to the bot to finalize"; color: Obsidian.dim; font.pixelSize: 12 }
            StepRow { number: 1; text: "Open this link on your iPhone:"; textSize: 12 }
            LinkButton { objectName: "botLink"; Layout.leftMargin: 32; text: card.model.botLinkText; bold: false; textSize: 13; onClicked: card.model.openBot() }
            StepRow { number: 2; text: "Send /start to the bot"; textSize: 12 }
            StepRow { number: 3; text: "Come back here and click Authorize"; textSize: 12 }
            Text {
                objectName: "telegramMessage"
                visible: card.model.telegramMessage !== ""
                Layout.fillWidth: true
                text: card.model.telegramMessage
                color: card.model.messageIsSuccess ? Obsidian.safe : Obsidian.orange
                font.pixelSize: 12; font.weight: Font.Medium; wrapMode: Text.WordWrap
            }
            Repeater {
                model: card.model.telegramInstructions
                Text { objectName: "instruction_" + index; Layout.fillWidth: true; text: modelData; color: Obsidian.dim; font.pixelSize: 12; font.family: "monospace"; wrapMode: Text.WordWrap }
            }
            PanelButton {
                objectName: "authorizeTelegram"
                enabled: !card.model.authorizing
                opacity: enabled ? 1 : 0.5
                icon: "checkmark.circle.fill"
                text: card.model.authorizing ? "Verifying..." : "Authorize"
                fill: Obsidian.accent
                onClicked: card.model.authorize()
            }
        }

        // Unavailable
        ColumnLayout {
            objectName: "telegramUnavailable"
            visible: card.state_ === TelegramCardModel.Unavailable
            Layout.fillWidth: true
            spacing: 8
            TgHeader { tint: Obsidian.dim }
            Text { text: "Telegram is unavailable when services are off"; color: Obsidian.dim; font.pixelSize: 12 }
        }

        // Set-up
        ColumnLayout {
            objectName: "telegramSetup"
            visible: card.state_ === TelegramCardModel.Setup
            Layout.fillWidth: true
            spacing: 9
            TgHeader { tint: Obsidian.dim; badge: "Not configured" }
            Text { text: card.model.setupLine; color: "white"; font.pixelSize: 12 }
            Text { text: "To start, create a Telegram bot:"; color: Obsidian.dim; font.pixelSize: 12 }
            StepRow { number: 1; text: "Open Telegram → search @BotFather"; textSize: 12 }
            StepRow { number: 2; text: "Send /newbot and choose a name"; textSize: 12 }
            StepRow { number: 3; text: "Copy the token and paste it here:"; textSize: 12 }
            RowLayout {
                Layout.fillWidth: true
                spacing: 8
                TokenField {
                    objectName: "cardTokenField"
                    Layout.fillWidth: true
                    placeholderText: card.model.tokenPlaceholder
                    text: card.model.botToken
                    onTextEdited: card.model.botToken = text
                }
                PanelButton { objectName: "cardPaste"; icon: "doc.on.clipboard"; text: "Paste"; onClicked: card.model.paste() }
                PanelButton {
                    objectName: "cardSave"
                    enabled: card.model.canSave
                    opacity: enabled ? 1 : 0.45
                    icon: "arrow.right.circle.fill"
                    text: card.model.savingToken ? "..." : "Save"
                    fill: Obsidian.accent
                    onClicked: card.model.save()
                }
            }
            Text {
                objectName: "cardSaveError"
                visible: card.model.saveError !== ""
                Layout.fillWidth: true
                text: card.model.saveError
                color: Obsidian.orange
                font.pixelSize: 12; wrapMode: Text.WordWrap
            }
            LinkButton { objectName: "cardBotFather"; text: "Open @BotFather in Telegram"; onClicked: card.model.openBotFather() }
            RowLayout {
                spacing: 5
                Text { text: "💡"; font.family: Obsidian.emojiFont; font.pixelSize: 15 }
                Text { text: card.model.tipWords; color: Obsidian.dim; font.pixelSize: 11 }
            }
        }
    }

    DisconnectTelegramDialog { card: card.model }
}
