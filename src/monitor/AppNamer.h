#pragma once

#include "monitor/CaptureStream.h"
#include "monitor/DesktopEntries.h"
#include "platform/ProcessFacts.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

// One naming rule for every Linux source, so that the same application gets the same name from the
// camera, PipeWire and PulseAudio (cool-downs and groups key on it): the installed application's
// desktop entry name when the process belongs to one (sandbox app id first, else its executable),
// else the name the stream gave when it is a real one, else the name the executable was started as.
class AppNamer
{
public:
    struct Named
    {
        QString name;
        ProcessFacts facts;
    };

    AppNamer(QString procRoot, std::shared_ptr<const DesktopEntries> entries, QSet<QString> ownExecutables);

    // Absent for our own processes (halvex, halvexd and their probes), which are never reported.
    // `pid` 0 (unknown) names by the stream alone. `portalAppId` is the id a portal set on the stream.
    std::optional<Named> name(qint64 pid, const QString& streamName, const QString& portalAppId = {}) const;

    // Each stream named by the rule, our own left out. `namesByPid` carries the names given last time:
    // a process that has ended while its server still lists the stream keeps the name it had, instead
    // of being named anew from the stream's properties, which would read as another application
    // starting a recording. It is left holding the names of the processes behind `streams`.
    QList<CaptureStream> nameStreams(const QList<CaptureStream>& streams,
                                     QHash<qint64, QString>& namesByPid) const;

    // Without a process: the rule on what is known.
    static QString choose(const std::optional<ProcessFacts>& facts, const QString& streamName,
                          const QString& portalAppId, const DesktopEntries& entries);
    // Client libraries' generic names ("ALSA plug-in [aplay]") say nothing about the application.
    static bool isMeaningfulStreamName(const QString& name);
    // The executables of this product: this program's and its sibling's (halvex beside halvexd).
    static QSet<QString> ownExecutablesOfThisProgram();

private:
    QString m_procRoot;
    std::shared_ptr<const DesktopEntries> m_entries;
    QSet<QString> m_ownExecutables;
};
