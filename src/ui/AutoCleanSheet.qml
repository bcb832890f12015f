import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Halvex.Ui

// When and how often the machine cleans itself.
ColumnLayout {
    id: sheet
    required property AutomationSettings settings
    // When the scheduled clean-up last ran; the line is left out without it.
    property AutoCleanSchedule schedule: null
    signal done()
    spacing: 6

    component Toggle: RowLayout {
        property string title
        property string detail
        property bool checked
        signal toggled(bool on)
        Layout.fillWidth: true
        ColumnLayout {
            spacing: 0
            Layout.fillWidth: true
            Text { text: parent.parent.title; color: "white"; font.pixelSize: 12 }
            Text { text: parent.parent.detail; color: Obsidian.dim; font.pixelSize: 10 }
        }
        Switch { checked: parent.checked; onToggled: parent.toggled(checked) }
    }

    RowLayout {
        Layout.fillWidth: true
        Icon { name: "sparkles"; color: Obsidian.accent; implicitWidth: 16; implicitHeight: 16 }
        Text { text: "Automatic cleanup"; color: "white"; font.pixelSize: 14; font.bold: true; Layout.fillWidth: true }
        Text { text: "Enable"; color: Obsidian.dim; font.pixelSize: 11 }
        Switch {
            objectName: "enableSwitch"
            checked: sheet.settings.autoCleanEnabled
            onToggled: sheet.settings.autoCleanEnabled = checked
        }
    }
    Text {
        objectName: "lastCleanup"
        visible: sheet.schedule !== null && sheet.schedule.hasLastRun
        text: sheet.schedule ? sheet.schedule.lastRunText : ""
        color: Obsidian.dim; font.pixelSize: 10
        Layout.fillWidth: true; horizontalAlignment: Text.AlignRight
    }
    onVisibleChanged: if (visible && schedule) schedule.refresh()
    Text { text: "Free up space when:"; color: Obsidian.dim; font.pixelSize: 11 }
    Toggle {
        title: "Memory is almost full"; detail: sheet.settings.ramPctText
        checked: sheet.settings.autoCleanRAM
        onToggled: (on) => sheet.settings.autoCleanRAM = on
    }
    RowLayout {
        Layout.fillWidth: true
        Text { text: "50%"; color: Obsidian.dim; font.pixelSize: 10 }
        Slider {
            objectName: "ramSlider"
            Layout.fillWidth: true
            from: 50; to: 95; stepSize: 5; snapMode: Slider.SnapAlways
            value: sheet.settings.autoCleanRAMThreshold
            onMoved: sheet.settings.autoCleanRAMThreshold = value
        }
        Text { text: "95%"; color: Obsidian.dim; font.pixelSize: 10 }
    }
    Toggle {
        title: "Old app files"; detail: "Useless files left by apps"
        checked: sheet.settings.autoCleanCache
        onToggled: (on) => sheet.settings.autoCleanCache = on
    }
    Toggle {
        title: "Old working files"; detail: "Temporary files no longer needed"
        checked: sheet.settings.autoCleanTempFiles
        onToggled: (on) => sheet.settings.autoCleanTempFiles = on
    }
    RowLayout {
        Layout.fillWidth: true
        Text { text: "How often:"; color: Obsidian.dim; font.pixelSize: 11 }
        Text { objectName: "everyN"; text: sheet.settings.everyNText; color: "white"; font.pixelSize: 11 }
    }
    RowLayout {
        Layout.fillWidth: true
        Text { text: "1h"; color: Obsidian.dim; font.pixelSize: 10 }
        Slider {
            objectName: "intervalSlider"
            Layout.fillWidth: true
            from: 1; to: 72; stepSize: 1; snapMode: Slider.SnapAlways
            value: sheet.settings.autoCleanIntervalHours
            onMoved: sheet.settings.autoCleanIntervalHours = value
        }
        Text { text: "72h"; color: Obsidian.dim; font.pixelSize: 10 }
    }
    PanelButton { objectName: "cleanDone"; text: "Done"; Layout.alignment: Qt.AlignRight; onClicked: sheet.done() }
}
