import QtQuick
import QtQuick.Controls
import Halvex.Ui

// One row per application, built lazily as it scrolls into view; the empty state when there is none.
Item {
    id: feed
    required property DashboardModel model
    signal whyRequested(var row)
    signal blockRequested(string alertId, string name)

    ListView {
        id: list
        objectName: "alertFeed"
        anchors.fill: parent
        visible: feed.model.feedCount > 0
        topMargin: 8
        bottomMargin: 8
        spacing: 1
        clip: true
        reuseItems: false
        model: feed.model.feed
        ScrollBar.vertical: ScrollBar {}
        delegate: AppAlertRow {
            width: list.width
            systemCapsule: feed.model.systemCapsule
            onWhyRequested: (row) => feed.whyRequested(row)
            onBlockRequested: (alertId, name) => feed.blockRequested(alertId, name)
        }
    }

    AlertsEmptyState {
        anchors.centerIn: parent
        visible: feed.model.feedCount === 0
    }
}
