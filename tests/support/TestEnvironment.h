#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A private home directory for one test: HOME points into a temporary directory (so settings and
// the data directory are the test's own) until the object is destroyed.
class TemporaryHome
{
public:
    TemporaryHome();
    ~TemporaryHome();

    QString path() const { return m_dir.path(); }
    QString dataDirectory() const { return m_dir.path() + QStringLiteral("/.halvex"); }

private:
    QTemporaryDir m_dir;
    QByteArray m_previousHome;
};

// A fake external tool: a shell script that appends its argument list (one argument per line, then a
// line "--") to a log file, prints canned output and exits with a given status. The tool's
// HALVEX_TOOL_<NAME> variable points at it while the object lives.
class FakeTool
{
public:
    FakeTool(const QString& environmentName, const QString& standardOutput = {}, int exitStatus = 0);
    ~FakeTool();

    QString path() const { return m_path; }
    QString logPath() const { return m_logPath; }
    // Every recorded call, each as its argument list.
    QList<QStringList> calls() const;
    // Waits (processing events) until at least `count` calls are recorded.
    bool waitForCalls(int count, int timeoutMs = 5000) const;

    // Replaces the script body: `body` runs after the arguments were recorded.
    void setScriptBody(const QString& body);

private:
    void writeScript(const QString& body);

    QTemporaryDir m_dir;
    QString m_environmentName;
    QString m_path;
    QString m_logPath;
};

// Path of a file under tests/fakes.
QString fakesPath(const QString& name);

// Captures what the process writes to its standard output (file descriptor 1) while it lives.
class CapturedStdout
{
public:
    CapturedStdout();
    ~CapturedStdout();
    QString text() const;
    QStringList lines() const;
    // Waits (processing events) until a written line starts with `prefix`; returns it, or an empty
    // string after the timeout.
    QString waitForLineStartingWith(const QString& prefix, int timeoutMs = 5000) const;

private:
    QTemporaryDir m_dir;
    int m_savedFd = -1;
};
