import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Halvex.Ui

// The input line: Return or the send button submits when there is something to send; the arrow keys
// browse what was typed before.
Rectangle {
    id: input
    required property CommandConsole commands
    property color terminalGreen
    color: Obsidian.surface
    implicitHeight: 44

    RowLayout {
        anchors { fill: parent; leftMargin: 16; rightMargin: 12 }
        spacing: 8
        Text {
            text: "\u203A"
            color: input.terminalGreen
            font.family: "monospace"
            font.pixelSize: 16
            font.bold: true
        }
        TextField {
            id: field
            objectName: "commandField"
            Layout.fillWidth: true
            placeholderText: "Type a command or ask a question..."
            placeholderTextColor: Qt.rgba(1, 1, 1, 0.3)
            color: "white"
            font.family: "monospace"
            font.pixelSize: 12
            background: Item {}
            text: input.commands.cmdText
            onTextEdited: input.commands.cmdText = text
            onAccepted: input.commands.submitChat()
            Keys.onUpPressed: (event) => { input.commands.historyUp(); event.accepted = true }
            Keys.onDownPressed: (event) => { input.commands.historyDown(); event.accepted = true }
        }
        ActivitySpinner {
            objectName: "runningIndicator"
            visible: input.commands.isRunning
            color: input.terminalGreen
            implicitWidth: 16; implicitHeight: 16
        }
        Item {
            objectName: "sendButton"
            visible: !input.commands.isRunning
            implicitWidth: 20; implicitHeight: 20
            Icon {
                anchors.fill: parent
                name: "arrow.up.circle.fill"
                color: input.commands.canSend ? Obsidian.accent : Obsidian.dim
            }
            MouseArea { anchors.fill: parent; onClicked: input.commands.submitChat() }
        }
    }

    Connections {
        target: input.commands
        function onInputFocusRequested() { field.forceActiveFocus() }
    }
}
