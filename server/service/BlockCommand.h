#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The action line "block <type> <application>" of the menu-bar panel. The application is the rest of
// the line and may hold spaces ("block camera Google Chrome").
struct BlockCommand
{
    QString type;
    QString app;

    static bool isBlockLine(const QString& command);
    // pkill's arguments for the application, matched as the engine's force-quit matches it: the name
    // literally, case-insensitive, never as a pattern or an option.
    static QStringList forceQuitArguments(const QString& app);
    // Nothing when the type or the application is missing.
    static std::optional<BlockCommand> parse(const QString& command);
};
