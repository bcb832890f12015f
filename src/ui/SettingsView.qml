import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Halvex.Ui

// The settings window: XMTP, monitoring, disk access and the version, as a grouped form.
Rectangle {
    id: view
    required property SettingsModel model
    color: Obsidian.bg

    component Section: ColumnLayout {
        property string title
        default property alias content: box.data
        spacing: 6
        Layout.fillWidth: true
        Text { text: parent.title; color: Obsidian.dim; font.pixelSize: 12; font.weight: Font.DemiBold }
        Rectangle {
            Layout.fillWidth: true
            implicitHeight: box.implicitHeight + 20
            color: Obsidian.surface; radius: 8; border.color: Obsidian.border
            ColumnLayout { id: box; x: 12; y: 10; width: parent.width - 24; spacing: 8 }
        }
    }
    component Note: Text { color: Obsidian.dim; font.pixelSize: 12; wrapMode: Text.Wrap; Layout.fillWidth: true }

    ScrollView {
        id: scroll
        anchors.fill: parent
        contentWidth: availableWidth

        ColumnLayout {
            x: 16; y: 16
            width: scroll.availableWidth - 32
            spacing: 14

            Section {
                title: "Decentralized Messaging (XMTP)"
                Item {
                    Layout.fillWidth: true
                    implicitHeight: agentTitles.implicitHeight
                    Icon {
                        id: lockIcon
                        anchors { left: parent.left; verticalCenter: parent.verticalCenter }
                        width: 18; height: 18
                        name: view.model.xmtpRunning ? "lock.fill" : "lock.slash.fill"
                        color: view.model.xmtpRunning ? Obsidian.safe : Obsidian.dim
                    }
                    ColumnLayout {
                        id: agentTitles
                        anchors { left: lockIcon.right; leftMargin: 10; right: parent.right }
                        spacing: 1
                        Text { text: "XMTP Agent"; color: "white"; font.pixelSize: 13 }
                        Note { text: view.model.xmtpNote }
                    }
                }
                ColumnLayout {
                    visible: view.model.xmtpRunning
                    spacing: 4
                    Layout.fillWidth: true
                    Note { text: "Your XMTP address" }
                    RowLayout {
                        Layout.fillWidth: true
                        Text {
                            objectName: "xmtpAddress"
                            text: view.model.xmtpAddress; color: "white"; font.pixelSize: 12; font.family: "monospace"
                            elide: Text.ElideMiddle; Layout.fillWidth: true
                        }
                        Item {
                            objectName: "copyAddress"
                            implicitWidth: 20; implicitHeight: 20
                            Icon { anchors.fill: parent; name: "doc.on.doc"; color: Obsidian.dim }
                            HoverHandler { id: copyHover }
                            ToolTip.visible: copyHover.hovered
                            ToolTip.text: "Copy address"
                            MouseArea { anchors.fill: parent; onClicked: view.model.copyAddress() }
                        }
                    }
                    Text {
                        text: "Open XMTP web chat"; color: Obsidian.accent; font.pixelSize: 12; font.underline: true
                        MouseArea { anchors.fill: parent; cursorShape: Qt.PointingHandCursor; onClicked: view.model.openXmtpChat() }
                    }
                    Note { text: "Also install Converse (iOS) to message from your iPhone." }
                }
                Note {
                    objectName: "xmtpHint"
                    visible: !view.model.xmtpRunning
                    text: "Add XMTP_WALLET_KEY to your .env file to enable."
                }
            }

            Section {
                title: "Monitoring"
                Note {
                    objectName: "trayAdvice"
                    visible: text !== ""
                    text: view.model.trayAdvice
                }
                RowLayout {
                    Layout.fillWidth: true
                    Text {
                        objectName: "monitoringState"
                        text: view.model.monitoringText; color: "white"; font.pixelSize: 13
                        wrapMode: Text.Wrap; Layout.fillWidth: true
                    }
                    PanelButton {
                        objectName: "toggleMonitoring"
                        text: view.model.monitoringButtonText
                        onClicked: view.model.toggleMonitoring()
                    }
                }
                RowLayout {
                    Layout.fillWidth: true
                    Text { text: "Alerts stored"; color: "white"; font.pixelSize: 13; Layout.fillWidth: true }
                    Text { objectName: "alertsStored"; text: view.model.alertsStored; color: Obsidian.dim; font.pixelSize: 13 }
                }
                Item {
                    objectName: "startAtLoginRow"
                    visible: view.model.startAtLoginSupported
                    Layout.fillWidth: true
                    implicitHeight: 30
                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        text: "Start at login"; color: "white"; font.pixelSize: 13
                    }
                    SwitchCapsule {
                        objectName: "startAtLogin"
                        anchors.right: parent.right; anchors.verticalCenter: parent.verticalCenter
                        on: view.model.startAtLogin
                    }
                    MouseArea { anchors.fill: parent; onClicked: view.model.startAtLogin = !view.model.startAtLogin }
                }
                PanelButton {
                    objectName: "clearAllAlerts"
                    text: "Clear All Alerts"; textColor: Obsidian.danger
                    onClicked: view.model.clearAllAlerts()
                }
            }

            Section {
                title: "Disk Access"
                Note { objectName: "diskAccessNote"; text: view.model.diskAccessNote }
                PanelButton {
                    visible: view.model.isMacOS
                    text: "Open Privacy Settings"
                    onClicked: view.model.openPrivacySettings()
                }
                Repeater {
                    model: view.model.sources
                    delegate: RowLayout {
                        required property var modelData
                        required property int index
                        Layout.fillWidth: true
                        spacing: 8
                        Rectangle {
                            implicitWidth: 8; implicitHeight: 8; radius: 4
                            color: modelData.available ? Obsidian.safe : Obsidian.dim
                        }
                        ColumnLayout {
                            spacing: 0
                            Layout.fillWidth: true
                            Text { text: modelData.name; color: "white"; font.pixelSize: 12 }
                            Note { text: modelData.detail; font.pixelSize: 11 }
                        }
                        Text {
                            objectName: "source_" + index
                            text: modelData.available ? "Available" : "Not available"
                            color: modelData.available ? Obsidian.safe : Obsidian.dim; font.pixelSize: 11
                        }
                    }
                }
            }

            Section {
                title: "About"
                RowLayout {
                    Layout.fillWidth: true
                    Text { text: "Version"; color: "white"; font.pixelSize: 13; Layout.fillWidth: true }
                    Text { objectName: "aboutVersion"; text: view.model.versionText; color: Obsidian.dim; font.pixelSize: 13 }
                }
            }
            Item { implicitHeight: 4 }
        }
    }
}
