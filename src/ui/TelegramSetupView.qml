import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Halvex.Ui

// "Halvex Setup": five steps from the welcome to a connected bot. Laid out here; the steps, the
// token test and the chat search are TelegramSetupModel's.
Rectangle {
    id: root
    required property TelegramSetupModel model
    color: Obsidian.bg

    SetupStep {
        objectName: "welcomeScreen"
        anchors.fill: parent
        index: TelegramSetupModel.WelcomeStep; current: root.model.step
        icon: "shield.fill"
        title: "Halvex is active!"
        text: root.model.welcomeText
        Rectangle {
            Layout.fillWidth: true
            Layout.topMargin: 6
            implicitHeight: hint.implicitHeight + 22
            radius: 9; color: Obsidian.surface; border.color: Obsidian.border
            RowLayout {
                id: hint
                anchors { fill: parent; margins: 11 }
                spacing: 10
                Icon { name: "arrow.up.circle"; color: Obsidian.accent; implicitWidth: 18; implicitHeight: 18 }
                Text { objectName: "trayHint"; Layout.fillWidth: true; text: root.model.trayHint; color: "white"; font.pixelSize: 12; wrapMode: Text.WordWrap }
            }
        }
        Item { Layout.fillHeight: true }
        SetupButton { objectName: "getStarted"; text: "Get started →"; onClicked: root.model.next() }
    }

    SetupStep {
        objectName: "whyTelegramScreen"
        anchors.fill: parent
        index: TelegramSetupModel.WhyTelegramStep; current: root.model.step
        icon: "paperplane.fill"
        title: "Get alerts on your phone"
        text: "Halvex sends you a Telegram alert when any app accesses your camera, mic, or location."
        AlertExampleRow { emoji: "📹"; label: "Zoom just activated your camera" }
        AlertExampleRow { emoji: "🎤"; label: "Chrome is using your microphone" }
        AlertExampleRow { emoji: "📍"; label: "Maps accessed your location" }
        Item { Layout.fillHeight: true }
        SetupButton { objectName: "letsGo"; text: "Great, let's go!"; onClicked: root.model.next() }
        SetupButton { objectName: "skipWhy"; text: "Skip for now"; primary: false; onClicked: root.model.finish() }
    }

    SetupStep {
        objectName: "botFatherScreen"
        anchors.fill: parent
        index: TelegramSetupModel.BotFatherStep; current: root.model.step
        title: "Create your Telegram bot"
        text: "A Telegram bot is your personal automated assistant — takes 2 minutes to set up."
        StepRow { number: 1; text: "Click the button below to open @BotFather" }
        StepRow { number: 2; text: "Send /newbot" }
        StepRow { number: 3; text: "Choose a name (e.g. My Mac Bot)" }
        StepRow { number: 4; text: "Copy the token you receive" }
        Item { Layout.fillHeight: true }
        SetupButton { objectName: "openBotFather"; icon: "paperplane.fill"; text: "Open @BotFather in Telegram"; primary: false; onClicked: root.model.openBotFather() }
        SetupButton { objectName: "haveToken"; text: "I have my token, continue"; onClicked: root.model.next() }
    }

    SetupStep {
        objectName: "tokenScreen"
        anchors.fill: parent
        index: TelegramSetupModel.TokenStep; current: root.model.step
        title: "Paste your token here"
        text: root.model.tokenShapeHint
        TokenField {
            objectName: "tokenField"
            Layout.fillWidth: true
            placeholderText: root.model.tokenPlaceholder
            text: root.model.botToken
            onTextEdited: root.model.botToken = text
        }
        SetupButton {
            objectName: "testConnection"
            primary: false
            busy: root.model.isTesting
            text: root.model.isTesting ? "Checking…" : "Test connection"
            onClicked: root.model.testToken()
        }
        RowLayout {
            objectName: "testResult"
            visible: root.model.validatedUsername !== "" || root.model.testError !== ""
            Layout.fillWidth: true
            spacing: 6
            readonly property bool verified: root.model.validatedUsername !== ""
            Icon {
                name: parent.verified ? "checkmark.circle.fill" : "xmark.circle.fill"
                color: parent.verified ? Obsidian.safe : Obsidian.danger
                implicitWidth: 15; implicitHeight: 15
            }
            Text {
                objectName: "testResultText"
                Layout.fillWidth: true
                text: parent.verified ? "Bot verified: @" + root.model.validatedUsername : root.model.testError
                color: parent.verified ? Obsidian.safe : Obsidian.danger
                font.pixelSize: 12; wrapMode: Text.WordWrap
            }
        }
        Item { Layout.fillHeight: true }
        SetupButton { objectName: "saveAndContinue"; text: "Save and continue"; enabled: root.model.canSave; onClicked: root.model.saveAndContinue() }
        SetupButton { objectName: "skipToken"; text: "Skip for now"; primary: false; onClicked: root.model.finish() }
    }

    SetupStep {
        id: done
        objectName: "doneScreen"
        anchors.fill: parent
        index: TelegramSetupModel.DoneStep; current: root.model.step
        icon: root.model.doneIcon
        iconColor: root.model.chatIdFound ? Obsidian.safe : Obsidian.accent
        title: root.model.doneTitle
        text: root.model.doneText
        SetupButton {
            objectName: "openMyBot"
            visible: root.model.validatedUsername !== ""
            icon: "paperplane.fill"; text: "Open my bot"; primary: false
            onClicked: root.model.openMyBot()
        }
        RowLayout {
            objectName: "waitingRow"
            visible: !root.model.chatIdFound
            Layout.alignment: Qt.AlignHCenter
            spacing: 8
            Spinner { visible: root.model.pollingChatId; color: Obsidian.dim }
            Text { text: "Waiting for /start..."; color: Obsidian.dim; font.pixelSize: 12 }
        }
        Item { Layout.fillHeight: true }
        SetupButton { objectName: "finish"; text: "Finish"; onClicked: root.model.finish() }
        SetupButton { objectName: "skipDone"; visible: !root.model.chatIdFound; text: "Skip for now"; primary: false; onClicked: root.model.finish() }
    }
}
