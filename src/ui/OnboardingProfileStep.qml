import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// The second step of the onboarding sheet: pick a monitoring profile; its demonstration sheet confirms.
ColumnLayout {
    id: step
    required property OnboardingModel model
    spacing: 12

    Icon { Layout.alignment: Qt.AlignHCenter; name: "shield.fill"; color: Obsidian.accent; implicitWidth: 40; implicitHeight: 40 }
    Text { objectName: "onboardingWelcomeTitle"; Layout.alignment: Qt.AlignHCenter; text: "Welcome to Halvex"; color: "white"; font.pixelSize: 18; font.bold: true }
    Text {
        objectName: "onboardingWelcomeText"
        Layout.fillWidth: true
        text: step.model.welcomeText; color: Obsidian.dim; font.pixelSize: 12
        horizontalAlignment: Text.AlignHCenter; wrapMode: Text.WordWrap
    }
    RowLayout {
        Layout.fillWidth: true
        Layout.topMargin: 4
        spacing: 8
        Repeater {
            model: Profiles.cards
            ProfileCard {
                required property var modelData
                Layout.fillWidth: true
                profile: modelData
                isActive: false
                isLoading: false
                onTapped: (profileId) => step.model.selectProfile(profileId)
            }
        }
    }
    Text { Layout.alignment: Qt.AlignHCenter; text: "You can change your profile anytime in Settings."; color: Obsidian.dim; font.pixelSize: 11 }

    ProfileDemoSheet {
        id: demo
        onConfirmed: step.model.confirmProfile()
        onCancelled: step.model.cancelProfile()
    }
    Connections {
        target: step.model
        function onPendingProfileChanged() {
            if (!step.model.hasPendingProfile)
                return
            demo.profileName = step.model.pendingProfile
            demo.open()
        }
    }
}
