#include "app/CleanupRun.h"

#include "app/MenuBarRules.h"

#include <QPointer>

CleanupRun::CleanupRun(Sender sender, Sources sources, Timing timing, QObject* parent)
    : QObject(parent), m_sender(std::move(sender)), m_sources(std::move(sources)), m_timing(timing)
{
    m_stepTimer.setInterval(m_timing.stepMs);
    connect(&m_stepTimer, &QTimer::timeout, this, &CleanupRun::advance);
    m_giveUp.setSingleShot(true);
    m_giveUp.setInterval(m_timing.giveUpMs);
    connect(&m_giveUp, &QTimer::timeout, this, [this] { finish(m_run, std::nullopt); });
}

QString CleanupRun::stepLabel() const
{
    return MenuBarRules::cleanStepLabel(m_cleanStep);
}

void CleanupRun::run(const QString& command)
{
    if (m_isRunning)
        return;
    const quint64 run = ++m_run;
    m_isRunning = true;
    m_ending = false;
    m_quickResult.reset();
    m_cleanStep = 0;
    m_beforeDisk = m_sources.freeDisk();
    m_beforeRam = m_sources.availableRam();
    m_cleanProgress = 1.0 / MenuBarRules::cleanStepCount;
    m_stepTimer.start();
    m_giveUp.start();
    Q_EMIT changed();
    m_sender(command, this, [this, run](std::optional<QString> result) { finish(run, result); });
}

void CleanupRun::advance()
{
    if (m_cleanStep + 1 >= MenuBarRules::cleanStepCount) {
        m_stepTimer.stop();
        return;
    }
    ++m_cleanStep;
    m_cleanProgress = double(m_cleanStep) / MenuBarRules::cleanStepCount;
    Q_EMIT changed();
}

void CleanupRun::finish(quint64 run, const std::optional<QString>& backendResult)
{
    if (run != m_run || !m_isRunning || m_ending)
        return;
    m_ending = true;
    m_stepTimer.stop();
    m_giveUp.stop();
    m_cleanProgress = 1.0;
    Q_EMIT changed();
    const QString text = MenuBarRules::cleanResultText(m_sources.freeDisk() - m_beforeDisk,
                                                       m_sources.availableRam() - m_beforeRam, backendResult);
    QTimer::singleShot(m_timing.settleMs, this, [this, run, text] {
        if (run != m_run)
            return;
        m_quickResult = text;
        m_isRunning = false;
        m_ending = false;
        m_cleanProgress = 0;
        m_cleanStep = 0;
        Q_EMIT changed();
    });
}
