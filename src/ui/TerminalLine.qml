import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// One transcript row: what was sent, with its time, or a piece of a reply that can be selected; the
// last piece of a reply copies the whole of it.
Item {
    id: line
    required property int messageIndex
    required property bool isFirstPiece
    required property bool isLastPiece
    required property string role
    required property string content
    required property string time
    property CommandConsole commands
    property color terminalGreen
    readonly property bool isUser: role === "user"
    // Pieces of one reply follow each other without a gap; a new message keeps its distance.
    readonly property int gap: isFirstPiece ? 6 : 0
    implicitHeight: gap + (isUser ? userRow.implicitHeight : reply.implicitHeight)
    height: implicitHeight

    HoverHandler { id: hover }

    RowLayout {
        id: userRow
        visible: line.isUser
        anchors { left: parent.left; right: parent.right; leftMargin: 16; rightMargin: 16 }
        y: line.gap
        spacing: 8
        Text {
            text: "\u203A"
            Layout.alignment: Qt.AlignTop
            color: line.terminalGreen
            font.family: "monospace"
            font.pixelSize: 14
            font.bold: true
        }
        Text {
            objectName: "userLine_" + line.messageIndex
            Layout.fillWidth: true
            text: line.isUser ? line.content : ""
            color: Qt.rgba(0.92, 0.96, 1.0, 1)
            font.pixelSize: 12
            font.weight: Font.DemiBold
            // What was sent stays readable in full: a long line wraps like a reply.
            wrapMode: Text.WrapAtWordBoundaryOrAnywhere
        }
        Text { text: line.time; color: Qt.rgba(1, 1, 1, 0.2); font.pixelSize: 9; Layout.alignment: Qt.AlignTop }
    }

    TextEdit {
        id: reply
        objectName: (line.role === "error" ? "errorLine_" : "resultLine_") + line.messageIndex
        visible: !line.isUser
        y: line.gap
        anchors { left: parent.left; right: parent.right; leftMargin: 30; rightMargin: 40 }
        text: line.isUser ? "" : line.content
        textFormat: TextEdit.PlainText
        readOnly: true
        selectByMouse: true
        wrapMode: TextEdit.WrapAtWordBoundaryOrAnywhere
        color: line.role === "error" ? Qt.rgba(1.0, 0.4, 0.35, 1) : Qt.rgba(0.72, 0.82, 0.94, 1)
        selectionColor: Qt.rgba(0.369, 0.361, 0.902, 0.5)
        font.family: "monospace"
        font.pixelSize: 11
    }

    Item {
        objectName: "copy_" + line.messageIndex
        visible: !line.isUser && line.isLastPiece
        anchors { bottom: parent.bottom; right: parent.right; rightMargin: 16 }
        width: 16; height: 16
        opacity: hover.hovered ? 1 : 0.25
        Icon { anchors.fill: parent; name: "doc.on.doc"; color: Obsidian.dim }
        MouseArea {
            anchors.fill: parent
            cursorShape: Qt.PointingHandCursor
            onClicked: line.commands.copyMessage(line.messageIndex)
        }
    }
}
