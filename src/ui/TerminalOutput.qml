import QtQuick
import QtQuick.Controls
import Halvex.Ui

// The transcript: a welcome while it is empty, one line per message built only as it scrolls into
// view, and the spinner while a request runs. New lines and the spinner scroll into sight.
ListView {
    id: output
    required property CommandConsole commands
    property color terminalGreen
    objectName: "terminalOutput"
    clip: true
    topMargin: 12
    bottomMargin: 12
    reuseItems: false
    boundsBehavior: Flickable.StopAtBounds
    model: output.commands.transcript
    ScrollBar.vertical: ScrollBar {}

    header: Column {
        width: output.width
        visible: output.commands.messageCount === 0
        height: visible ? implicitHeight : 0
        leftPadding: 16
        spacing: 4
        Text {
            objectName: "welcomePrompt"
            text: "halvex@security ~ %"
            color: output.terminalGreen
            font.family: "monospace"
            font.pixelSize: 12
        }
        Text {
            objectName: "welcomeHint"
            text: "Select a skill above or type a command"
            color: "white"
            opacity: 0.25
            font.family: "monospace"
            font.pixelSize: 11
        }
    }

    delegate: TerminalLine {
        width: output.width
        commands: output.commands
        terminalGreen: output.terminalGreen
    }

    footer: TerminalSpinner {
        width: output.width
        visible: output.commands.isRunning
        height: visible ? implicitHeight + 6 : 0
        text: output.commands.spinnerText
        color: output.terminalGreen
    }

    onCountChanged: Qt.callLater(output.positionViewAtEnd)
    Connections {
        target: output.commands
        function onIsRunningChanged() {
            if (output.commands.isRunning)
                Qt.callLater(output.positionViewAtEnd)
        }
    }
}
