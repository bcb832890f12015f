#pragma once

#include "platform/ProcessFacts.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

// A live source of accesses (the consent log, the camera poller, the Linux device watcher). It lives
// on the main thread and reports each access there; the engine records it.
class AccessSource : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void start() = 0;
    virtual void stop() = 0;

Q_SIGNALS:
    void accessDetected(const QString& type, const QString& app, const std::optional<QString>& details);
    // The processes seen using a device under an application's name (where the source knows them), so
    // that a Block ends exactly those.
    void processesSeen(const QString& app, const QList<ProcessFacts>& processes);
    // The watch of one access type ("camera", "microphone", "location") cannot work, for `reason`,
    // until the next start.
    void watchUnavailable(const QString& type, const QString& reason);
    // The watch of `type` works again (a sound server that started late, or took over from one that died).
    void watchAvailable(const QString& type);
};
