#include "monitor/AppNamer.h"

#include <QFileInfo>

AppNamer::AppNamer(QString procRoot, std::shared_ptr<const DesktopEntries> entries,
                   QSet<QString> ownExecutables)
    : m_procRoot(std::move(procRoot)), m_entries(entries), m_ownExecutables(std::move(ownExecutables))
{
}

QSet<QString> AppNamer::ownExecutablesOfThisProgram()
{
    return ProcessFiles::ownExecutables();
}

bool AppNamer::isMeaningfulStreamName(const QString& name)
{
    const QString trimmed = name.trimmed();
    return !trimmed.isEmpty() && !trimmed.startsWith(u"ALSA plug-in [") &&
           !trimmed.startsWith(u"PipeWire ALSA [") && !trimmed.startsWith(u"unknown", Qt::CaseInsensitive);
}

QString AppNamer::choose(const std::optional<ProcessFacts>& facts, const QString& streamName,
                         const QString& portalAppId, const DesktopEntries& entries)
{
    const QString appId = !portalAppId.isEmpty() ? portalAppId : facts ? facts->sandboxAppId : QString();
    if (!appId.isEmpty())
        return entries.nameForAppId(appId).value_or(appId);
    if (facts) {
        for (const QString& executable : {facts->executable, facts->invokedName}) {
            if (const std::optional<QString> name = entries.nameForExecutable(executable))
                return *name;
        }
    }
    if (isMeaningfulStreamName(streamName))
        return streamName.trimmed();
    if (facts && !facts->invokedName.isEmpty())
        return facts->invokedName;
    return streamName.trimmed().isEmpty() ? QStringLiteral("Unknown App") : streamName.trimmed();
}

std::optional<AppNamer::Named> AppNamer::name(qint64 pid, const QString& streamName,
                                              const QString& portalAppId) const
{
    const std::optional<ProcessFacts> facts =
        pid > 0 ? ProcessFiles::read(m_procRoot, pid) : std::optional<ProcessFacts>();
    const QString executable =
        facts ? facts->executable
              : QFileInfo(m_procRoot + QLatin1Char('/') + QString::number(pid) + QStringLiteral("/exe"))
                    .symLinkTarget();
    if (pid > 0 && !executable.isEmpty() && m_ownExecutables.contains(executable))
        return std::nullopt;
    return Named{choose(facts, streamName, portalAppId, *m_entries), facts.value_or(ProcessFacts{})};
}

QList<CaptureStream> AppNamer::nameStreams(const QList<CaptureStream>& streams,
                                           QHash<qint64, QString>& namesByPid) const
{
    QList<CaptureStream> named;
    named.reserve(streams.size());
    QHash<qint64, QString> names;
    for (CaptureStream stream : streams) {
        const std::optional<Named> identity = name(stream.pid, stream.streamName, stream.portalAppId);
        if (!identity)
            continue;
        if (stream.pid > 0 && identity->facts.pid > 0) {
            stream.app = identity->name;
            stream.startTime = identity->facts.startTime;
            names.insert(stream.pid, stream.app);
        } else if (stream.pid > 0 && namesByPid.contains(stream.pid)) {
            stream.app = namesByPid.value(stream.pid);
            names.insert(stream.pid, stream.app);
        } else if (!stream.portalAppId.isEmpty()) {
            stream.app = identity->name;
        }
        // Otherwise, without a process, the stream's own properties name it.
        named.append(stream);
    }
    namesByPid = names;
    return named;
}
