import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Halvex.Ui

// The script editor sheet: icon, name and shell script of one script skill, a trial run, and the
// save. Open while the console holds an editor.
Popup {
    id: sheet
    property ScriptEditor editor
    readonly property color violet: Qt.rgba(0.8, 0.55, 1.0, 1)
    objectName: "scriptEditorSheet"
    parent: Overlay.overlay
    anchors.centerIn: parent
    width: 480
    height: Math.min(implicitHeight, parent ? parent.height - 40 : 600)
    modal: true
    Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.55) }
    padding: 0
    closePolicy: Popup.CloseOnEscape
    background: Rectangle { color: Obsidian.bg; radius: 12; border.color: Obsidian.border }

    onEditorChanged: editor ? open() : close()
    // Escape closes like Cancel.
    onClosed: if (editor) editor.cancel()

    contentItem: ColumnLayout {
        spacing: 0
        enabled: sheet.editor !== null

        RowLayout {
            Layout.fillWidth: true
            Layout.margins: 20
            spacing: 12
            Rectangle {
                implicitWidth: 44; implicitHeight: 44; radius: 10
                color: Qt.rgba(sheet.violet.r, sheet.violet.g, sheet.violet.b, 0.12)
                Icon { anchors.centerIn: parent; name: "scroll.fill"; color: sheet.violet; width: 18; height: 18 }
            }
            ColumnLayout {
                spacing: 2
                Layout.fillWidth: true
                Text {
                    objectName: "editorTitle"
                    Layout.fillWidth: true
                    text: sheet.editor ? sheet.editor.title : ""
                    color: "white"
                    font.pixelSize: 15
                    font.bold: true
                    elide: Text.ElideRight
                }
                Text { text: "Script (shell)"; color: Obsidian.dim; font.pixelSize: 11 }
            }
        }
        Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: Obsidian.border }

        ScrollView {
            id: scroll
            Layout.fillWidth: true
            Layout.fillHeight: true
            contentWidth: availableWidth
            ScrollBar.vertical.policy: ScrollBar.AsNeeded

            ColumnLayout {
                x: 20
                width: scroll.availableWidth - 40
                spacing: 14
                Item { implicitHeight: 6 }
                RowLayout {
                    spacing: 12
                    Layout.fillWidth: true
                    EditorField {
                        Layout.alignment: Qt.AlignTop
                        label: "Icon"
                        EditorTextField {
                            objectName: "iconField"
                            implicitWidth: 44
                            placeholderText: "⚡"
                            horizontalAlignment: TextInput.AlignHCenter
                            // Away from it, the field shows the icon's start.
                            onActiveFocusChanged: if (!activeFocus) cursorPosition = 0
                            font.family: Obsidian.emojiFont
                            font.pixelSize: 22
                            text: sheet.editor ? sheet.editor.emoji : ""
                            onTextEdited: sheet.editor.emoji = text
                        }
                    }
                    EditorField {
                        label: "Name"
                        Layout.alignment: Qt.AlignTop
                        Layout.fillWidth: true
                        EditorTextField {
                            objectName: "nameField"
                            Layout.fillWidth: true
                            placeholderText: "Name"
                            font.pixelSize: 13
                            text: sheet.editor ? sheet.editor.name : ""
                            onTextEdited: sheet.editor.name = text
                        }
                    }
                }
                EditorField {
                    label: "Script (shell)"
                    Layout.fillWidth: true
                    TextArea {
                        id: scriptArea
                        objectName: "scriptField"
                        Layout.fillWidth: true
                        Layout.minimumHeight: 160
                        color: "white"
                        font.family: "monospace"
                        font.pixelSize: 11
                        wrapMode: TextEdit.NoWrap
                        selectByMouse: true
                        text: sheet.editor ? sheet.editor.script : ""
                        onTextChanged: if (sheet.editor && text !== sheet.editor.script) sheet.editor.script = text
                        background: Rectangle { color: Obsidian.raised; radius: 6; border.color: Obsidian.border }
                    }
                }
                Rectangle {
                    id: testButton
                    objectName: "testButton"
                    readonly property bool busy: sheet.editor ? sheet.editor.isTesting : false
                    enabled: !busy
                    implicitWidth: testRow.implicitWidth + 28
                    implicitHeight: testRow.implicitHeight + 14
                    radius: 6
                    color: Qt.rgba(sheet.violet.r, sheet.violet.g, sheet.violet.b, 0.10)
                    RowLayout {
                        id: testRow
                        anchors.centerIn: parent
                        spacing: 6
                        Icon { visible: !testButton.busy; name: "play.circle.fill"; color: sheet.violet; implicitWidth: 13; implicitHeight: 13 }
                        ActivitySpinner { visible: testButton.busy; color: sheet.violet; implicitWidth: 13; implicitHeight: 13 }
                        Text {
                            objectName: "testLabel"
                            text: testButton.busy ? "..." : "Test"
                            color: sheet.violet
                            font.pixelSize: 12
                            font.weight: Font.DemiBold
                        }
                    }
                    MouseArea { anchors.fill: parent; onClicked: sheet.editor.test() }
                }
                ScrollView {
                    objectName: "testResultBox"
                    visible: sheet.editor ? sheet.editor.hasTestResult : false
                    Layout.fillWidth: true
                    Layout.preferredHeight: Math.min(resultText.implicitHeight, 80)
                    contentWidth: availableWidth
                    ScrollBar.vertical.policy: ScrollBar.AsNeeded
                    Text {
                        id: resultText
                        objectName: "testResult"
                        width: parent.width
                        text: sheet.editor ? sheet.editor.testResult : ""
                        color: Obsidian.dim
                        font.family: "monospace"
                        font.pixelSize: 10
                        wrapMode: Text.WrapAtWordBoundaryOrAnywhere
                    }
                }
                Item { implicitHeight: 6 }
            }
        }
        Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: Obsidian.border }

        RowLayout {
            Layout.fillWidth: true
            Layout.margins: 20
            spacing: 10
            Text {
                objectName: "cancelButton"
                text: "Cancel"
                color: Obsidian.dim
                font.pixelSize: 12
                MouseArea { anchors.fill: parent; onClicked: sheet.editor.cancel() }
            }
            Text {
                objectName: "saveError"
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignRight
                text: sheet.editor ? sheet.editor.saveError : ""
                color: Obsidian.danger
                font.pixelSize: 11
                wrapMode: Text.Wrap
            }
            Rectangle {
                id: saveButton
                objectName: "saveButton"
                readonly property bool busy: sheet.editor ? sheet.editor.isSaving : false
                enabled: sheet.editor ? sheet.editor.canSave : false
                opacity: enabled ? 1 : 0.45
                implicitWidth: saveRow.implicitWidth + 28
                implicitHeight: saveRow.implicitHeight + 14
                radius: 7
                color: sheet.violet
                RowLayout {
                    id: saveRow
                    anchors.centerIn: parent
                    spacing: 6
                    Icon { visible: !saveButton.busy; name: "checkmark.circle.fill"; color: "white"; implicitWidth: 12; implicitHeight: 12 }
                    ActivitySpinner { visible: saveButton.busy; color: "white"; implicitWidth: 12; implicitHeight: 12 }
                    Text {
                        objectName: "saveLabel"
                        text: saveButton.busy ? "..." : "Save"
                        color: "white"
                        font.pixelSize: 12
                        font.weight: Font.DemiBold
                    }
                }
                MouseArea { anchors.fill: parent; onClicked: sheet.editor.save() }
            }
        }
    }
}
