#pragma once

#include <QString>

// The keys of a .desktop file's [Desktop Entry] group that the skills use.
struct DesktopEntry
{
    QString name;
    QString exec;
    bool hidden = false;          // Hidden=true: deleted
    bool noDisplay = false;       // NoDisplay=true: not shown in menus
    bool autostartEnabled = true; // X-GNOME-Autostart-enabled=false turns an autostart entry off
    QString type;

    static DesktopEntry parse(const QString& text);
    static DesktopEntry read(const QString& path);
};
