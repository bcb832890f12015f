#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

// The panel's "Free up space" action: sends the cleanup command, walks a five-step progress display
// every two seconds, gives up after fifteen seconds, and reports what disk and RAM it gained.
class CleanupRun : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY changed)
    Q_PROPERTY(int cleanStep READ cleanStep NOTIFY changed)
    Q_PROPERTY(double cleanProgress READ cleanProgress NOTIFY changed)
    Q_PROPERTY(QString stepLabel READ stepLabel NOTIFY changed)
    Q_PROPERTY(QString quickResult READ quickResultText NOTIFY changed)
public:
    using Reply = std::function<void(std::optional<QString>)>;
    // Sends a command to the backend; the reply must come back on this thread, bound to `context`.
    using Sender = std::function<void(const QString& command, QObject* context, Reply reply)>;
    using ByteSource = std::function<qint64()>;

    struct Timing
    {
        int stepMs = 2000;
        int giveUpMs = 15000;
        int settleMs = 400; // the end of the progress animation
    };
    struct Sources
    {
        ByteSource freeDisk;
        ByteSource availableRam;
    };

    CleanupRun(Sender sender, Sources sources, Timing timing, QObject* parent = nullptr);

    bool isRunning() const { return m_isRunning; }
    int cleanStep() const { return m_cleanStep; }
    double cleanProgress() const { return m_cleanProgress; }
    QString stepLabel() const;
    const std::optional<QString>& quickResult() const { return m_quickResult; }
    QString quickResultText() const { return m_quickResult.value_or(QString()); }

    Q_INVOKABLE void run(const QString& command);

Q_SIGNALS:
    void changed();

private:
    void advance();
    void finish(quint64 run, const std::optional<QString>& backendResult);

    Sender m_sender;
    Sources m_sources;
    Timing m_timing;
    QTimer m_stepTimer;
    QTimer m_giveUp;
    bool m_isRunning = false;
    int m_cleanStep = 0;
    double m_cleanProgress = 0;
    std::optional<QString> m_quickResult;
    qint64 m_beforeDisk = 0;
    qint64 m_beforeRam = 0;
    // Each run has its number; whichever of the reply and the give-up comes second finds its run
    // already ended and changes nothing.
    quint64 m_run = 0;
    bool m_ending = false;
};
