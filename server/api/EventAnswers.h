#pragma once

#include "http/HttpResponse.h"

#include <QDateTime>

#include <optional>

class EventStore;

// The answers of api/alerts and api/stats. The dashboard asks for both every few seconds while the
// events change seldom, so each answer is kept for as long as it stays exact: the alerts until the
// events change, the counters also until the next local midnight (today) or until the oldest event of
// the last 24 hours leaves that window.
class EventAnswers
{
public:
    static constexpr int alertsListed = 500;

    explicit EventAnswers(EventStore& events) : m_events(events) {}

    HttpResponse alerts();
    HttpResponse stats(const QDateTime& now);

    static qint64 startOfLocalDay(const QDateTime& time);

private:
    struct Kept
    {
        std::optional<quint64> revision;
        qint64 fromMs = 0;
        qint64 untilMs = 0; // exclusive
        HttpResponse response;
    };

    EventStore& m_events;
    Kept m_alerts;
    Kept m_stats;
};
