#pragma once

#include "monitor/SeenProcesses.h"
#include "service/Clock.h"

#include <QObject>
#include <QTimer>

#include <optional>
#include <vector>

class AccessSource;
class EventStore;

// Stores every access the detection sources report as an event, and keeps 90 days of them.
class EventRecorder : public QObject
{
    Q_OBJECT
public:
    static constexpr int retentionDays = 90;

    EventRecorder(EventStore& store, Clock clock, QObject* parent = nullptr);
    ~EventRecorder() override;

    // Takes the sources over and starts them.
    void addSources(const std::vector<AccessSource*>& sources);
    void record(const QString& type, const QString& app, const std::optional<QString>& details);
    // Removes expired events now and then once a day, in batches with the event loop running between
    // them, so a backlog of deletions (each one also updates the counters) never holds up requests.
    void startRetention();
    void removeExpired();

    static constexpr int retentionBatch = 500;

    // The processes the sources saw under each name, for block.
    QList<ProcessFacts> aliveProcessesOf(const QString& app);

Q_SIGNALS:
    void recorded();

private:
    EventStore& m_store;
    Clock m_clock;
    std::vector<AccessSource*> m_sources;
    SeenProcesses m_seenProcesses;
    QTimer m_retentionTimer;
};
