#pragma once

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
    void removeExpired();

Q_SIGNALS:
    void recorded();

private:
    EventStore& m_store;
    Clock m_clock;
    std::vector<AccessSource*> m_sources;
    QTimer m_retentionTimer;
};
