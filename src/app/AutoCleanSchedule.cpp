#include "app/AutoCleanSchedule.h"

#include "app/MenuBarRules.h"
#include "platform/Settings.h"

#include <algorithm>
#include <limits>

AutoCleanSchedule::AutoCleanSchedule(Sender sender, Sources sources, Clock clock, QObject* parent)
    : QObject(parent), m_sender(std::move(sender)), m_sources(std::move(sources)), m_clock(std::move(clock))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &AutoCleanSchedule::runNow);
    reschedule();
}

QStringList AutoCleanSchedule::dueCommands() const
{
    const Settings settings;
    QStringList commands;
    if (settings.autoCleanCache())
        commands << QStringLiteral("clean-cache");
    if (settings.autoCleanTempFiles())
        commands << QStringLiteral("clean-disk");
    if (settings.autoCleanRAM()) {
        const std::optional<double> used = m_sources.memoryUsePercent();
        if (used && *used >= settings.autoCleanRAMThreshold())
            commands << QStringLiteral("clean-ram");
    }
    return commands;
}

std::optional<QDateTime> AutoCleanSchedule::nextDue() const
{
    const Settings settings;
    if (!settings.autoCleanEnabled())
        return std::nullopt;
    const QDateTime now = m_clock();
    const std::optional<QDateTime> last = lastRun();
    if (!last)
        return now;
    const qint64 intervalSecs = qint64(std::max(1.0, settings.autoCleanIntervalHours()) * 3600);
    // A last run in the future (the clock was set back) counts as a run now.
    return std::min(*last, now).addSecs(intervalSecs);
}

bool AutoCleanSchedule::hasLastRun() const
{
    return lastRun().has_value();
}

std::optional<QDateTime> AutoCleanSchedule::lastRun() const
{
    const QDateTime when = QDateTime::fromString(Settings().value(lastRunKey).toString(), Qt::ISODateWithMs);
    return when.isValid() ? std::optional(when) : std::nullopt;
}

qint64 AutoCleanSchedule::lastFreedBytes() const
{
    return std::max<qint64>(0, Settings().value(lastFreedKey).toLongLong());
}

QString AutoCleanSchedule::lastRunText() const
{
    const std::optional<QDateTime> last = lastRun();
    if (!last)
        return {};
    return QStringLiteral("Last clean-up: %1, %2")
        .arg(MenuBarRules::relativeTime(*last, m_clock()), MenuBarRules::formatBytes(lastFreedBytes()));
}

std::optional<qint64> AutoCleanSchedule::armedInMs() const
{
    if (!m_timer.isActive())
        return std::nullopt;
    return m_timer.remainingTime();
}

void AutoCleanSchedule::reschedule()
{
    m_timer.stop();
    if (m_isRunning)
        return; // the run re-arms the timer when it ends
    const std::optional<QDateTime> due = nextDue();
    if (!due)
        return;
    // QTimer counts in int milliseconds; a longer wait is re-armed when it ends.
    const qint64 wait = std::clamp<qint64>(m_clock().msecsTo(*due), 0, std::numeric_limits<int>::max());
    m_timer.start(int(wait));
}

void AutoCleanSchedule::runNow()
{
    const std::optional<QDateTime> due = nextDue();
    if (!due)
        return;
    if (m_clock() < *due) {
        reschedule(); // woke early: a long wait in steps, or the settings moved the due time
        return;
    }
    const quint64 run = ++m_run;
    m_isRunning = true;
    m_startedAt = m_clock();
    m_queue = dueCommands();
    m_sent.clear();
    m_anySucceeded = false;
    m_diskBefore = m_sources.freeDisk();
    m_ramBefore = m_sources.availableRam();
    Q_EMIT changed();
    sendNext(run);
}

void AutoCleanSchedule::sendNext(quint64 run)
{
    if (m_queue.isEmpty()) {
        finish(run);
        return;
    }
    const QString command = m_queue.takeFirst();
    m_sent << command;
    m_sender(command, this, [this, run](const std::optional<QString>& reply) {
        if (run != m_run || !m_isRunning)
            return;
        if (reply && !reply->startsWith(QLatin1String("Error: ")))
            m_anySucceeded = true;
        sendNext(run);
    });
}

void AutoCleanSchedule::finish(quint64 run)
{
    if (run != m_run || !m_isRunning)
        return;
    if (!m_sent.isEmpty() && !m_anySucceeded) {
        m_isRunning = false;
        Q_EMIT changed();
        m_timer.start(retryMs);
        return;
    }
    const qint64 diskGain = std::max<qint64>(0, m_sources.freeDisk() - m_diskBefore);
    const qint64 ramGain = m_sent.contains(QStringLiteral("clean-ram"))
                               ? std::max<qint64>(0, m_sources.availableRam() - m_ramBefore)
                               : 0;
    const qint64 freed = diskGain + ramGain;
    Settings settings;
    settings.setValue(lastFreedKey, freed);
    settings.setValue(lastRunKey, m_startedAt.toUTC().toString(Qt::ISODateWithMs));
    m_isRunning = false;
    Q_EMIT ran(m_sent, freed);
    Q_EMIT changed();
    reschedule();
}
