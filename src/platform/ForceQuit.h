#pragma once

#include <QString>
#include <QStringList>

// Ends running applications on the user's behalf: the Telegram "Force Quit" button, the alert feed and
// the backend's block command all go through one of these, so they end the same processes.
class ForceQuit
{
public:
    virtual ~ForceQuit() = default;
    // Ends every process whose name matches `name` literally, case-insensitively. Returns at once.
    virtual void killApp(const QString& name) const;
    // pkill's arguments for `name`: the name literally, case-insensitively, never as a pattern or an
    // option. For callers that wait for pkill's word on whether anything was running.
    static QStringList pkillArguments(const QString& name);
};
