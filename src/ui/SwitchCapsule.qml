import QtQuick
import Halvex.Ui

// The protection switch: a 44 × 26 capsule with a sliding 20-point knob.
Rectangle {
    property bool on
    width: 44; height: 26; radius: 13
    color: on ? Obsidian.safeGreen : Obsidian.dim
    Behavior on color { ColorAnimation { duration: 200; easing.type: Easing.InOutQuad } }
    Rectangle {
        width: 20; height: 20; radius: 10; color: "white"
        anchors.verticalCenter: parent.verticalCenter
        x: (parent.width - width) / 2 + (parent.on ? 9 : -9)
        Behavior on x { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }
    }
}
