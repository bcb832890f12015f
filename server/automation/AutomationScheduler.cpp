#include "automation/AutomationScheduler.h"

#include "automation/ScheduleMath.h"

#include <QPointer>

namespace {

// Timers may wake a little early; a run this close to its time counts as due.
constexpr qint64 earlyToleranceMs = 500;

} // namespace

AutomationScheduler::AutomationScheduler(AutomationStore& store, Clock clock, Runner runner,
                                         Reporter reporter, QObject* parent, int maxWaitMs)
    : QObject(parent), m_store(store), m_clock(std::move(clock)), m_runner(std::move(runner)),
      m_reporter(std::move(reporter)), m_maxWaitMs(qMax(1, maxWaitMs))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &AutomationScheduler::runDue);
}

void AutomationScheduler::reschedule()
{
    const QDateTime now = m_clock();
    m_due.clear();
    m_nextRun = {};
    for (const StoredAutomation& automation : m_store.all()) {
        if (!automation.enabled)
            continue;
        QDateTime after = now;
        const QDateTime handled = m_lastDue.value(automation.skillId);
        if (handled.isValid() && handled > after)
            after = handled;
        const QDateTime due = ScheduleMath::nextRunAfter(after, automation.intervalMinutes);
        m_due.insert(automation.skillId, due);
        if (!m_nextRun.isValid() || due < m_nextRun)
            m_nextRun = due;
    }
    if (!m_nextRun.isValid()) {
        m_timer.stop();
        return;
    }
    m_timer.start(int(qBound(qint64(0), now.msecsTo(m_nextRun), qint64(m_maxWaitMs))));
}

void AutomationScheduler::runDue()
{
    const QDateTime now = m_clock();
    for (const StoredAutomation& automation : m_store.all()) {
        const QDateTime due = m_due.value(automation.skillId);
        if (!automation.enabled || !due.isValid() || now.msecsTo(due) > earlyToleranceMs)
            continue;
        m_lastDue.insert(automation.skillId, due);
        runOne(automation, now);
    }
    reschedule();
}

void AutomationScheduler::runOne(const StoredAutomation& automation, const QDateTime& startedAt)
{
    QPointer<AutomationScheduler> self(this);
    m_runner(automation.skillId, [self, automation, startedAt](const Result& result) {
        if (!self)
            return;
        self->m_store.recordRun(automation.skillId, startedAt.toMSecsSinceEpoch(), result.text);
        if (self->m_reporter)
            self->m_reporter(automation, result);
        Q_EMIT self->automationFinished(automation.skillId, result.text);
    });
}
