#pragma once

#include <QProcess>
#include <QStringList>

// The built halvexd, started on a free loopback port with a given home directory. Arguments and
// environment variables can be added before start(); start() returns once the port answers.
class HalvexdProcess
{
public:
    HalvexdProcess(const QString& home, const QString& workDir);
    ~HalvexdProcess();

    void setEnvironment(const QString& name, const QString& value) { m_environment.insert(name, value); }
    void addArguments(const QStringList& arguments) { m_arguments += arguments; }

    bool start(quint16 port = 0); // 0: a free port
    // SIGTERM, then the exit code (-1 when it did not end in time or crashed).
    int stop();
    void killHard(); // SIGKILL: no chance to clean up
    bool restart();

    quint16 port() const { return m_port; }
    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }
    QString output();
    qint64 pid() const { return m_process.processId(); }

    static QString binaryPath();
    static quint16 freePort();

private:
    QProcess m_process;
    QProcessEnvironment m_environment;
    QStringList m_arguments;
    QString m_workDir;
    quint16 m_port = 0;
    QByteArray m_output;
};
