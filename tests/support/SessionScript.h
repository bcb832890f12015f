#pragma once

#include <QHash>
#include <QProcess>
#include <QString>
#include <QStringList>

// One of the desktop session scripts in scripts/, run for a test: it prints the session's NAME=value
// lines, then READY, and runs until stopped or until the test process ends (--watch-parent). Exit
// status 3 means this machine lacks a program or user the session needs.
class SessionScript
{
public:
    SessionScript() = default;
    SessionScript(const SessionScript&) = delete;
    SessionScript& operator=(const SessionScript&) = delete;
    ~SessionScript() { stop(); }

    // Runs scripts/<name> with --session-only, --watch-parent and `arguments`, and returns once it
    // says READY; false when it did not within `readyTimeoutMs`, with errorString() saying why.
    bool start(const QString& name, const QStringList& arguments, int readyTimeoutMs);
    // Ends the session, giving the script `graceMs` to stop every process it started.
    void stop(int graceMs = 10000);

    bool isRunning() const { return m_process.state() == QProcess::Running && !m_variables.isEmpty(); }
    bool unavailable() const { return m_unavailable; }
    QString errorString() const { return m_error; }
    QString variable(const QString& name) const { return m_variables.value(name); }

    // Runs a program in a session's `environment` and returns its exit code (-1 when it crashed or
    // hung); its standard output goes to `output` when given.
    static int run(const QProcessEnvironment& environment, const QString& program,
                   const QStringList& arguments, QByteArray* output, int timeoutMs);

private:
    QProcess m_process;
    QHash<QString, QString> m_variables;
    QString m_error;
    bool m_unavailable = false;
};
