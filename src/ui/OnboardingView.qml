import QtQuick
import QtQuick.Controls
import Halvex.Ui

// The dashboard's first-run sheet: the bot token, then the monitoring profile. It shows while
// onboarding is not done; going away by any means finishes onboarding, so it never comes back.
Popup {
    id: sheet
    objectName: "onboardingSheet"
    required property DashboardModel model
    readonly property OnboardingModel onboarding: model.onboarding

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: 520
    modal: true
    padding: 24
    closePolicy: Popup.CloseOnEscape
    focus: true
    // Shown while onboarding is not done; closed any way at all (Escape included), it ends onboarding.
    visible: model.showOnboarding
    background: Rectangle { color: Obsidian.surface; radius: 14; border.color: Obsidian.border }

    onClosed: sheet.onboarding.dismiss()

    contentItem: Item {
        implicitWidth: 472
        implicitHeight: sheet.onboarding.step === OnboardingModel.TokenStep ? tokenStep.implicitHeight : profileStep.implicitHeight
        OnboardingTokenStep {
            id: tokenStep
            objectName: "onboardingTokenStep"
            anchors { left: parent.left; right: parent.right; top: parent.top }
            visible: sheet.onboarding.step === OnboardingModel.TokenStep
            model: sheet.onboarding
        }
        OnboardingProfileStep {
            id: profileStep
            objectName: "onboardingProfileStep"
            anchors { left: parent.left; right: parent.right; top: parent.top }
            visible: sheet.onboarding.step === OnboardingModel.ProfileStep
            model: sheet.onboarding
        }
    }
}
