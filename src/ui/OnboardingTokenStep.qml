import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// The first step of the onboarding sheet: connect a Telegram bot, or move on without one.
ColumnLayout {
    id: step
    required property OnboardingModel model
    spacing: 12

    RowLayout {
        spacing: 10
        Icon { name: "paperplane.fill"; color: Obsidian.accent; implicitWidth: 22; implicitHeight: 22 }
        Text { objectName: "onboardingTokenTitle"; Layout.fillWidth: true; text: step.model.tokenTitle; color: "white"; font.pixelSize: 16; font.bold: true; wrapMode: Text.WordWrap }
    }
    Text { text: "To start, create a Telegram bot:"; color: Obsidian.dim; font.pixelSize: 12 }
    Repeater {
        model: [
            { icon: "1.circle.fill", text: "Open Telegram → search @BotFather" },
            { icon: "2.circle.fill", text: "Send /newbot and choose a name" },
            { icon: "3.circle.fill", text: "Copy the token and paste it here:" }
        ]
        RowLayout {
            required property var modelData
            spacing: 8
            Icon { name: modelData.icon; color: Obsidian.accent; implicitWidth: 16; implicitHeight: 16 }
            Text { text: modelData.text; color: "white"; font.pixelSize: 12 }
        }
    }
    RowLayout {
        Layout.fillWidth: true
        spacing: 8
        TokenField {
            objectName: "onboardingTokenField"
            Layout.fillWidth: true
            placeholderText: step.model.tokenPlaceholder
            text: step.model.botToken
            onTextEdited: step.model.botToken = text
        }
        PanelButton { objectName: "onboardingPaste"; icon: "doc.on.clipboard"; text: "Paste"; onClicked: step.model.paste() }
    }
    LinkButton { objectName: "onboardingBotFather"; text: "Open @BotFather in Telegram"; onClicked: step.model.openBotFather() }
    RowLayout {
        spacing: 5
        Text { text: "💡"; font.family: Obsidian.emojiFont; font.pixelSize: 15 }
        Text { text: step.model.tipWords; color: Obsidian.dim; font.pixelSize: 11 }
    }
    RowLayout {
        Layout.fillWidth: true
        Layout.topMargin: 4
        spacing: 8
        Item { Layout.fillWidth: true }
        PanelButton { objectName: "onboardingCancel"; text: "Cancel"; onClicked: step.model.skipToken() }
        PanelButton {
            objectName: "onboardingSave"
            text: "Save"; fill: Obsidian.accent
            enabled: step.model.canSave
            opacity: enabled ? 1 : 0.45
            onClicked: step.model.save()
        }
    }
}
