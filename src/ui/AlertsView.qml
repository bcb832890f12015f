import QtQuick
import QtQuick.Controls
import Halvex.Ui

// The "Alerts" tab: the feed, the block confirmation and the explanation sheet.
Rectangle {
    id: view
    required property DashboardModel model
    color: Obsidian.bg

    AlertFeed {
        anchors.fill: parent
        model: view.model
        onWhyRequested: (row) => whySheet.present(row)
        onBlockRequested: (alertId, name) => confirm.ask(alertId, name)
    }

    ConfirmBlockDialog {
        id: confirm
        onConfirmed: (alertId) => view.model.block(alertId)
    }

    WhySheet {
        id: whySheet
        whatToDo: view.model.whatToDo
    }
}
