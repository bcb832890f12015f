#include "monitor/CaptureStreamTracker.h"

QList<CaptureStream> CaptureStreamTracker::update(const QList<CaptureStream>& running)
{
    // Types in the order their streams appear; a type with no stream left still releases its apps.
    QStringList types;
    QHash<QString, QStringList> appsByType;
    QHash<QString, CaptureStream> firstStream; // by type and application
    for (const CaptureStream& stream : running) {
        if (!appsByType.contains(stream.type))
            types.append(stream.type);
        appsByType[stream.type].append(stream.app);
        const QString key = stream.type + QLatin1Char('\n') + stream.app;
        if (!firstStream.contains(key))
            firstStream.insert(key, stream);
    }
    for (auto it = m_activeByType.cbegin(); it != m_activeByType.cend(); ++it) {
        if (!appsByType.contains(it.key()))
            types.append(it.key());
        if (m_holdingReleases)
            appsByType[it.key()].append(it->active().values());
    }
    QList<CaptureStream> started;
    for (const QString& type : types) {
        for (const QString& app : m_activeByType[type].update(appsByType.value(type)))
            started.append(firstStream.value(type + QLatin1Char('\n') + app));
    }
    return started;
}

void CaptureStreamTracker::report(AccessSource& source, const QList<CaptureStream>& running)
{
    QHash<QString, QList<ProcessFacts>> processes;
    QStringList apps;
    for (const CaptureStream& stream : running) {
        if (stream.pid <= 0 || stream.startTime == 0)
            continue;
        if (!processes.contains(stream.app))
            apps.append(stream.app);
        ProcessFacts facts;
        facts.pid = stream.pid;
        facts.startTime = stream.startTime;
        processes[stream.app].append(facts);
    }
    for (const QString& app : apps)
        Q_EMIT source.processesSeen(app, processes.value(app));
    for (const CaptureStream& stream : update(running))
        Q_EMIT source.accessDetected(stream.type, stream.app, stream.details);
}
