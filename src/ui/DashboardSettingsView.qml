import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Halvex.Ui

// The "Settings" tab: services, the Telegram card and the automations section, then the version.
Rectangle {
    id: view
    required property DashboardModel model
    color: Obsidian.bg

    ScrollView {
        id: scroll
        objectName: "settingsScroll"
        anchors.fill: parent
        contentWidth: availableWidth

        ColumnLayout {
            width: scroll.availableWidth - 40
            x: 20
            spacing: 16

            Item { implicitHeight: 4 }
            SectionHeader { title: "Services"; icon: "antenna.radiowaves.left.and.right"; Layout.fillWidth: true }
            ServicesCard { model: view.model; Layout.fillWidth: true }
            Item {
                objectName: "telegramCardSlot"
                Layout.fillWidth: true
                implicitHeight: telegramCard.implicitHeight
                TelegramCard {
                    id: telegramCard
                    anchors.left: parent.left
                    anchors.right: parent.right
                    model: view.model.telegramCard
                }
            }

            SectionHeader { title: "Automations"; icon: "clock.arrow.2.circlepath"; Layout.fillWidth: true }
            Item {
                objectName: "automationsSlot"
                Layout.fillWidth: true
                implicitHeight: automations.implicitHeight
                AutomationsView { id: automations; width: parent.width; section: view.model.automations }
            }

            RowLayout {
                Layout.fillWidth: true
                Item { Layout.fillWidth: true }
                PanelButton { objectName: "openSettings"; text: "Settings…"; icon: "gearshape.fill"; onClicked: view.model.openSettings() }
            }
            Text {
                objectName: "footerVersion"
                Layout.alignment: Qt.AlignHCenter
                text: view.model.versionText; color: Obsidian.dim; font.pixelSize: 11
            }
            Item { implicitHeight: 4 }
        }
    }
}
