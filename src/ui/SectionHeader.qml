import QtQuick
import QtQuick.Layouts
import Halvex.Ui

// The small upper-case title of a settings section.
RowLayout {
    property string title
    property string icon
    spacing: 8
    Layout.topMargin: 4
    Icon { name: parent.icon; color: Obsidian.dim; implicitWidth: 13; implicitHeight: 13 }
    Text { text: parent.title.toUpperCase(); color: Obsidian.dim; font.pixelSize: 12; font.bold: true; font.letterSpacing: 2.0 }
    Item { Layout.fillWidth: true }
}
