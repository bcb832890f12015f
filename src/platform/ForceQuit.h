#pragma once

#include "platform/ProcessFacts.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

struct ForceQuitOutcome
{
    bool ended = false; // at least one process was ended
    QString error;      // why nothing could be tried (pkill failed to run, our own name)
};

// Ends running applications on the user's behalf: the Telegram "Force Quit" button, the alert feed and
// the backend's block command all go through one of these, so they end the same processes.
class ForceQuit
{
public:
    using Done = std::function<void(const ForceQuitOutcome&)>;
    // How long a process asked to end (SIGTERM) may take before it is killed (SIGKILL).
    static constexpr int graceMs = 2000;

    virtual ~ForceQuit() = default;

    // Ends the processes seen under `name` that still run (same id and start time); only when none is
    // left, those whose name is exactly `name`. Our own processes are never ended. `done` (optional)
    // says on `context`'s thread whether anything was ended.
    virtual void end(const QString& name, const QList<ProcessFacts>& seen, QObject* context, Done done) const;
    // The same without processes seen and without waiting for the outcome.
    void killApp(const QString& name) const { end(name, {}, nullptr, {}); }

    // pkill's arguments for `name`: the name literally, case-insensitively, never as a pattern or an
    // option; on Linux anchored to the whole process name (comm, cut at 15 characters).
    static QStringList pkillArguments(const QString& name);
    // Names that are ours: a Block never ends Halvex or its backend.
    static bool isOwnName(const QString& name);

private:
    void endByName(const QString& name, QObject* context, Done done) const;
};
