import QtQuick
import Halvex.Ui

// "Enable Auto" or "Disable Auto", following whether the skill is automated.
TileMenuItem {
    property bool isAutomated
    objectName: "autoToggle"
    text: isAutomated ? "Disable Auto" : "Enable Auto"
    symbol: isAutomated ? "clock.badge.xmark" : "clock.arrow.2.circlepath"
}
