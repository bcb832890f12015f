#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>

// The automatic clean-up the panel's sheet configures: while autoCleanEnabled is set, every
// autoCleanIntervalHours it sends the chosen clean-ups to the backend, one after the other, and
// remembers in the settings when it last ran and what it freed, so a restart neither runs it early
// nor puts it off for ever. One single-shot timer waits for the next due time; nothing polls.
class AutoCleanSchedule : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool hasLastRun READ hasLastRun NOTIFY changed)
    Q_PROPERTY(QString lastRunText READ lastRunText NOTIFY changed)
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY changed)
public:
    using Reply = std::function<void(std::optional<QString>)>;
    // Sends a command to the backend; the reply must come back on this thread, bound to `context`.
    using Sender = std::function<void(const QString& command, QObject* context, Reply reply)>;
    using Clock = std::function<QDateTime()>;
    struct Sources
    {
        std::function<qint64()> freeDisk;
        std::function<qint64()> availableRam;
        std::function<std::optional<double>()> memoryUsePercent;
    };

    // Settings keys of the last run, beside the autoClean* keys the sheet edits.
    static constexpr char lastRunKey[] = "autoCleanLastRun";     // ISO 8601, UTC
    static constexpr char lastFreedKey[] = "autoCleanLastFreed"; // bytes
    // A run whose every command failed (backend down) is not recorded and is tried again this much later.
    static constexpr int retryMs = 15 * 60 * 1000;

    AutoCleanSchedule(Sender sender, Sources sources, Clock clock, QObject* parent = nullptr);

    // The commands a run sends under the current settings: "clean-cache" when autoCleanCache,
    // "clean-disk" when autoCleanTempFiles, "clean-ram" when autoCleanRAM and memory use is at or
    // above autoCleanRAMThreshold percent (not when it cannot be read).
    QStringList dueCommands() const;
    // When the next run falls under the current settings; absent while disabled. Never run means now.
    std::optional<QDateTime> nextDue() const;

    bool hasLastRun() const;
    std::optional<QDateTime> lastRun() const;
    qint64 lastFreedBytes() const;
    // "Last clean-up: 3 hr. ago, 1.2 Go"; empty before the first run.
    QString lastRunText() const;
    bool isRunning() const { return m_isRunning; }
    // Milliseconds until the armed timer fires; absent when none is armed.
    std::optional<qint64> armedInMs() const;

    // Reads the settings again and arms the timer for the next due time (a run already under way ends
    // first). Call whenever an autoClean* setting changes.
    Q_INVOKABLE void reschedule();
    // The relative time moves on: views call this when they show the text.
    Q_INVOKABLE void refresh() { Q_EMIT changed(); }

Q_SIGNALS:
    void changed();
    // A scheduled run ended and was recorded.
    void ran(const QStringList& commands, qint64 freedBytes);

private:
    void runNow();
    void sendNext(quint64 run);
    void finish(quint64 run);

    Sender m_sender;
    Sources m_sources;
    Clock m_clock;
    QTimer m_timer;
    bool m_isRunning = false;
    quint64 m_run = 0;
    QDateTime m_startedAt;
    QStringList m_queue;
    QStringList m_sent;
    bool m_anySucceeded = false;
    qint64 m_diskBefore = 0;
    qint64 m_ramBefore = 0;
};
