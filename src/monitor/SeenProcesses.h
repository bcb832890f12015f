#pragma once

#include "platform/ProcessFacts.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

// The processes seen using a device under each application name over the last day, so that a Block
// ends exactly those: names match loosely (comm is cut at 15 characters, Flatpak ids are no process
// names), the id with its start time never names a process that merely reused the id.
class SeenProcesses
{
public:
    static constexpr qint64 keepSeconds = 24 * 3600;

    void remember(const QString& app, const QList<ProcessFacts>& processes, const QDateTime& now);
    // Those of `app` seen in the last day that still run.
    QList<ProcessFacts> alive(const QString& app, const QString& procRoot, const QDateTime& now);

private:
    struct Seen
    {
        ProcessFacts facts;
        QDateTime lastSeen;
    };
    void forgetOld(const QDateTime& now);

    QHash<QString, QList<Seen>> m_byApp; // by lower-case name
};
