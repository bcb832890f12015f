#pragma once

#include "service/Clock.h"
#include "storage/AutomationStore.h"

#include <QHash>
#include <QObject>
#include <QTimer>

#include <functional>

// Runs the enabled automations at their times (ScheduleMath). One timer waits for the earliest next
// run, but never longer than `maxWaitMs` before it looks at the wall clock again: the timer counts
// monotonic time, which stands still while the machine sleeps and knows nothing of the clock being
// set or the time zone changing. A run whose time passed during a sleep runs once on waking. Runs
// missed while the backend was not running are not caught up: the next one comes at the next aligned
// time.
class AutomationScheduler : public QObject
{
    Q_OBJECT
public:
    struct Result
    {
        bool success = false;
        QString text;
    };
    using ResultDone = std::function<void(const Result&)>;
    using Runner = std::function<void(const QString& skillId, ResultDone done)>;
    using Reporter = std::function<void(const StoredAutomation& automation, const Result& result)>;

    static constexpr int defaultMaxWaitMs = 5 * 60 * 1000;

    AutomationScheduler(AutomationStore& store, Clock clock, Runner runner, Reporter reporter,
                        QObject* parent = nullptr, int maxWaitMs = defaultMaxWaitMs);

    // Reads the enabled automations again and sets the timer for the earliest next run.
    void reschedule();
    // When the next run is due; invalid when nothing is enabled.
    QDateTime nextRun() const { return m_nextRun; }
    QDateTime nextRunOf(const QString& skillId) const { return m_due.value(skillId); }

Q_SIGNALS:
    void automationFinished(const QString& skillId, const QString& result);

private:
    void runDue();
    void runOne(const StoredAutomation& automation, const QDateTime& startedAt);

    AutomationStore& m_store;
    Clock m_clock;
    Runner m_runner;
    Reporter m_reporter;
    QTimer m_timer;
    QHash<QString, QDateTime> m_due;
    QHash<QString, QDateTime> m_lastDue; // the run time last handled, so an early timer cannot run it twice
    QDateTime m_nextRun;
    int m_maxWaitMs;
};
