#include "service/EventRecorder.h"

#include "monitor/AccessSource.h"
#include "platform/Diagnostics.h"
#include "platform/SystemRoots.h"
#include "storage/EventStore.h"

EventRecorder::EventRecorder(EventStore& store, Clock clock, QObject* parent)
    : QObject(parent), m_store(store), m_clock(std::move(clock))
{
    connect(&m_retentionTimer, &QTimer::timeout, this, &EventRecorder::removeExpired);
}

void EventRecorder::startRetention()
{
    m_retentionTimer.start(24 * 60 * 60 * 1000);
    removeExpired();
}

EventRecorder::~EventRecorder()
{
    for (AccessSource* source : m_sources)
        source->stop();
}

void EventRecorder::addSources(const std::vector<AccessSource*>& sources)
{
    for (AccessSource* source : sources) {
        source->setParent(this);
        connect(source, &AccessSource::accessDetected, this, &EventRecorder::record);
        connect(source, &AccessSource::processesSeen, this,
                [this](const QString& app, const QList<ProcessFacts>& processes) {
                    m_seenProcesses.remember(app, processes, m_clock());
                });
        m_sources.push_back(source);
        source->start();
    }
}

void EventRecorder::record(const QString& type, const QString& app, const std::optional<QString>& details)
{
    if (!m_store.add(type.toLower(), app, details, m_clock().toMSecsSinceEpoch())) {
        Diagnostics::print(QStringLiteral("[halvexd] could not store an event of %1").arg(app));
        return;
    }
    Q_EMIT recorded();
}

QList<ProcessFacts> EventRecorder::aliveProcessesOf(const QString& app)
{
    return m_seenProcesses.alive(app, SystemRoots::procRoot(), m_clock());
}

void EventRecorder::removeExpired()
{
    const qint64 cutoff = m_clock().addDays(-retentionDays).toMSecsSinceEpoch();
    const int removed = m_store.removeOlderThan(cutoff, retentionBatch);
    if (removed == retentionBatch)
        QTimer::singleShot(0, this, &EventRecorder::removeExpired);
}
