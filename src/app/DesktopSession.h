#pragma once

#include <QString>

// What kind of desktop session Halvex starts in, and what follows from it for the tray and windows.
namespace DesktopSession {

struct Environment
{
    QString qpaPlatform;    // QT_QPA_PLATFORM: the user's own choice, which always wins
    QString sessionType;    // XDG_SESSION_TYPE
    QString currentDesktop; // XDG_CURRENT_DESKTOP, a colon-separated list
    QString display;        // DISPLAY: Xwayland is there
    static Environment current();
};

// The Qt platform to ask for, empty to keep Qt's choice. GNOME's Wayland compositor offers no layer
// shell, so no Wayland window can sit beside the tray icon, and Qt draws its own grey title bars there;
// through Xwayland, Mutter decorates our windows like its own and the panel opens where the click was.
QString preferredPlatform(const Environment& environment);

// Whether the tray icon is a StatusNotifierItem of ours rather than Qt's tray icon: on Wayland, and on
// Xwayland in a Wayland session, whose trays are StatusNotifier hosts (there is no XEmbed tray), which
// may start late and pass the click's position.
bool usesStatusNotifier(const Environment& environment, const QString& platformName);

} // namespace DesktopSession
