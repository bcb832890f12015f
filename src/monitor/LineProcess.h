#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

// A long-running child process (pw-dump --monitor, pactl subscribe) whose standard output arrives as
// lines on the main thread. Standard error is discarded.
class LineProcess : public QObject
{
    Q_OBJECT
public:
    // A longer line is dropped whole: no tool we read writes one, and memory stays bounded.
    static constexpr qsizetype maxLineLength = 1024 * 1024;

    explicit LineProcess(QObject* parent = nullptr);
    ~LineProcess() override;

    void start(const QString& program, const QStringList& arguments,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
    // Kills the process and reaps it; no signal follows.
    void stop();
    bool isRunning() const { return m_process != nullptr; }

Q_SIGNALS:
    void lineReceived(const QByteArray& line);
    void failedToStart(const QString& error);
    // The process ended after it had started.
    void finished();

private:
    void readAvailable();

    QPointer<QProcess> m_process;
    QByteArray m_partial;
    bool m_discardingLine = false;
};
