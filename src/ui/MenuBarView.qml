import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Halvex.Ui

// The status-bar panel. Every rule lives in the model; this file lays it out.
Rectangle {
    id: root
    required property MenuBarModel model
    property bool showPrivacyAutoSheet: false
    property bool showCleanAutoSheet: false
    // The screen's available height, set by the panel's window: taller content scrolls.
    property real maximumHeight: 100000
    readonly property real naturalHeight: Math.max(content.implicitHeight + 24, sheetHeight)
    width: 320
    height: Math.min(naturalHeight, maximumHeight)
    readonly property real sheetHeight: showPrivacyAutoSheet ? privacySheet.implicitHeight + 24
                                      : showCleanAutoSheet ? cleanSheet.implicitHeight + 24 : 0
    color: Obsidian.bg

    component Divider: Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: Obsidian.border }

    Flickable {
        id: scroller
        objectName: "panelScroller"
        anchors.fill: parent
        contentWidth: width
        contentHeight: root.naturalHeight
        interactive: contentHeight > height
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar { policy: scroller.interactive ? ScrollBar.AsNeeded : ScrollBar.AlwaysOff }

        ColumnLayout {
            id: content
            x: 12; y: 12; width: root.width - 24
            spacing: 8
            visible: !root.showPrivacyAutoSheet && !root.showCleanAutoSheet

            RowLayout {
                spacing: 8
                Rectangle {
                    width: 26; height: 26; radius: 7; color: Obsidian.accent
                    Icon { anchors.centerIn: parent; name: "lock.shield.fill"; width: 16; height: 16 }
                }
                Text { text: "Halvex"; color: "white"; font.pixelSize: 15; font.bold: true }
                Rectangle {
                    implicitWidth: beta.implicitWidth + 8; implicitHeight: beta.implicitHeight + 4; radius: 4; color: "#3a3a3c"
                    Text { id: beta; anchors.centerIn: parent; text: "BETA"; color: "white"; font.pixelSize: 9; font.weight: Font.Black }
                }
            }
            Divider {}

            Item {
                objectName: "protectionRow"
                Layout.fillWidth: true
                implicitHeight: 34
                ColumnLayout {
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 1
                    Text { text: "Protection"; color: "white"; font.pixelSize: 13 }
                    Text {
                        objectName: "protectionStatus"
                        text: root.model.protectionStatusText
                        color: Obsidian.dim; font.pixelSize: 11
                    }
                }
                SwitchCapsule { anchors.right: parent.right; anchors.verticalCenter: parent.verticalCenter; on: root.model.protectionEnabled }
                MouseArea { anchors.fill: parent; onClicked: root.model.protectionEnabled = !root.model.protectionEnabled }
            }
            Divider {}

            ColumnLayout {
                spacing: 0
                Layout.fillWidth: true
                Repeater {
                    model: root.model.sensors
                    SensorRow {
                        required property var modelData
                        objectName: "sensor_" + modelData.type
                        icon: modelData.icon; label: modelData.label; status: modelData.status
                        reason: modelData.reason; active: modelData.active
                        Layout.fillWidth: true
                    }
                }
                RowLayout {
                    spacing: 10
                    Layout.topMargin: 7; Layout.bottomMargin: 7
                    Icon { name: "thermometer.medium"; color: root.model.cpuIconColor; implicitWidth: 13; implicitHeight: 13 }
                    Text { text: "CPU"; color: "white"; font.pixelSize: 13 }
                    Item { Layout.fillWidth: true }
                    Rectangle { visible: !root.model.hasCpuTemp; width: 6; height: 6; radius: 3; color: root.model.thermalDotColor }
                    Text { objectName: "cpuReading"; text: root.model.cpuReading; color: Obsidian.dim; font.pixelSize: 11 }
                }
            }
            Divider {}

            ColumnLayout {
                objectName: "allClear"
                visible: root.model.groupCount === 0
                Layout.fillWidth: true
                spacing: 4
                Icon {
                    Layout.alignment: Qt.AlignHCenter
                    name: root.model.protectionEnabled ? "checkmark.shield.fill" : "shield.slash.fill"
                    color: root.model.protectionEnabled ? Obsidian.safeGreen : Obsidian.dim
                    implicitWidth: 28; implicitHeight: 28
                }
                Text {
                    objectName: "allClearTitle"
                    Layout.alignment: Qt.AlignHCenter
                    text: root.model.allClearTitle
                    textFormat: Text.RichText
                    color: "white"; font.pixelSize: 13
                }
                Text {
                    Layout.alignment: Qt.AlignHCenter
                    text: root.model.allClearLine
                    color: Obsidian.dim; font.pixelSize: 11
                }
            }

            ColumnLayout {
                visible: root.model.groupCount > 0
                Layout.fillWidth: true
                spacing: 6
                RowLayout {
                    Layout.fillWidth: true
                    Icon { name: "bell.badge.fill"; color: Obsidian.orange; implicitWidth: 12; implicitHeight: 12 }
                    Text { objectName: "accessCount"; text: root.model.accessCountText; color: Obsidian.orange; font.pixelSize: 12; font.weight: Font.Medium }
                    Item { Layout.fillWidth: true }
                    PanelButton { objectName: "clearButton"; text: "Clear"; icon: "arrow.counterclockwise"; onClicked: root.model.clearAlerts() }
                }
                ListView {
                    id: list
                    objectName: "activityList"
                    Layout.fillWidth: true
                    Layout.preferredHeight: Math.min(contentHeight, root.model.showAllAlerts ? 600 : 220)
                    clip: true
                    spacing: 6
                    interactive: contentHeight > height
                    model: root.model.rows
                    delegate: ActivityRow {
                        width: list.width
                        onBlock: (id) => root.model.block(id)
                    }
                }
                Item {
                    objectName: "seeMore"
                    visible: root.model.groupCount >= 6
                    Layout.fillWidth: true
                    implicitHeight: 20
                    RowLayout {
                        anchors.centerIn: parent
                        Icon { name: root.model.showAllAlerts ? "chevron.up" : "chevron.down"; color: Obsidian.dim; implicitWidth: 10; implicitHeight: 10 }
                        Text {
                            objectName: "seeMoreText"
                            text: root.model.showAllAlerts ? "Show less" : root.model.seeMoreText
                            color: Obsidian.dim; font.pixelSize: 11
                        }
                    }
                    MouseArea { anchors.fill: parent; onClicked: root.model.showAllAlerts = !root.model.showAllAlerts }
                }
            }
            PanelButton {
                objectName: "privacyAutoButton"
                text: root.model.automation.privacyAutoActive ? "Auto-Block: ON" : "Automate"
                icon: "hand.raised.fill"
                Layout.fillWidth: true
                onClicked: root.showPrivacyAutoSheet = true
            }
            Divider {}

            ColumnLayout {
                Layout.fillWidth: true
                spacing: 6
                RowLayout {
                    Layout.fillWidth: true
                    PanelButton {
                        objectName: "freeUpSpace"
                        visible: !root.model.cleanup.isRunning
                        text: "Free up space"; icon: "sparkles"
                        Layout.fillWidth: true
                        onClicked: root.model.freeUpSpace()
                    }
                    RowLayout {
                        visible: root.model.cleanup.isRunning
                        Layout.fillWidth: true
                        Icon { name: "sparkles"; color: Obsidian.accent; implicitWidth: 12; implicitHeight: 12 }
                        Text { objectName: "cleanStepLabel"; text: root.model.cleanup.stepLabel; color: "white"; font.pixelSize: 12; font.weight: Font.DemiBold }
                    }
                    PanelButton {
                        objectName: "autoCleanButton"
                        text: root.model.automation.autoCleanEnabled ? "Auto-Clean: ON" : "Schedule"
                        onClicked: root.showCleanAutoSheet = true
                    }
                }
                ProgressStrip {
                    visible: root.model.cleanup.isRunning
                    Layout.fillWidth: true
                    value: root.model.cleanup.cleanProgress
                }
                RowLayout {
                    visible: root.model.cleanup.quickResult !== ""
                    Icon { name: "checkmark.circle.fill"; color: Obsidian.safeGreen; implicitWidth: 12; implicitHeight: 12 }
                    Text { objectName: "quickResult"; text: root.model.cleanup.quickResult; color: "white"; font.pixelSize: 11 }
                }
            }
            Divider {}

            PanelButton {
                objectName: "openDashboard"
                text: "Open Dashboard"; icon: "square.grid.2x2.fill"
                Layout.fillWidth: true
                onClicked: root.model.openDashboard()
            }
            Divider {}

            // The state sits under the name: beside it, a wide desktop font would run it under the button.
            RowLayout {
                Layout.fillWidth: true
                spacing: 6
                Icon { name: "paperplane.fill"; color: "#2aabee"; implicitWidth: 14; implicitHeight: 14 }
                ColumnLayout {
                    spacing: 1
                    Layout.fillWidth: true
                    Text { text: "Telegram"; color: "white"; font.pixelSize: 12 }
                    RowLayout {
                        spacing: 5
                        Rectangle {
                            id: dot
                            width: 7; height: 7; radius: 3.5
                            color: root.model.telegramConnected ? Obsidian.safeGreen : Obsidian.danger
                            // Pulses only while someone can see it: a hidden panel must not wake the process.
                            SequentialAnimation on opacity {
                                running: root.model.telegramConnected && dot.Window.visibility !== Window.Hidden
                                loops: Animation.Infinite
                                NumberAnimation { to: 0.3; duration: 900; easing.type: Easing.InOutQuad }
                                NumberAnimation { to: 1.0; duration: 900; easing.type: Easing.InOutQuad }
                            }
                        }
                        Text {
                            objectName: "telegramState"
                            text: root.model.telegramConnected ? "Telegram connected" : "Not connected"
                            color: Obsidian.dim; font.pixelSize: 11
                            elide: Text.ElideRight
                            Layout.fillWidth: true
                        }
                    }
                }
                PanelButton {
                    objectName: "disconnectButton"
                    visible: root.model.telegramConnected
                    text: root.model.showDisconnectConfirm ? "Confirm" : "Disconnect"
                    fill: root.model.showDisconnectConfirm ? Obsidian.danger : Obsidian.btnBg
                    onClicked: root.model.showDisconnectConfirm ? root.model.disconnectTelegram() : root.model.requestDisconnect()
                }
                PanelButton {
                    objectName: "setUpTelegram"
                    visible: !root.model.telegramConnected
                    text: "Set up Telegram →"
                    onClicked: root.model.setUpTelegram()
                }
            }
            Divider {}

            RowLayout {
                Layout.fillWidth: true
                PanelButton {
                    objectName: "updateNow"
                    visible: root.model.updateAvailable
                    text: "Update now"; icon: "arrow.down.circle.fill"; fill: Obsidian.accent
                    onClicked: root.model.openUpdate()
                }
                Item { Layout.fillWidth: true }
                PanelButton { objectName: "quitButton"; text: "Quit"; icon: "power"; onClicked: root.model.quit() }
            }
            Text { objectName: "version"; text: root.model.versionText; color: Obsidian.dim; font.pixelSize: 10; Layout.alignment: Qt.AlignHCenter }
        }

        PrivacyAutoSheet {
            id: privacySheet
            objectName: "privacyAutoSheet"
            visible: root.showPrivacyAutoSheet
            x: 12; y: 12; width: root.width - 24
            settings: root.model.automation
            onDone: root.showPrivacyAutoSheet = false
        }
        AutoCleanSheet {
            id: cleanSheet
            objectName: "autoCleanSheet"
            visible: root.showCleanAutoSheet
            x: 20; y: 12; width: 280
            settings: root.model.automation
            schedule: root.model.autoCleanSchedule
            onDone: root.showCleanAutoSheet = false
        }
    }
}
