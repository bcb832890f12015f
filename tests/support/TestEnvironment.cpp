#include "support/TestEnvironment.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTest>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

TemporaryHome::TemporaryHome() : m_previousHome(qgetenv("HOME"))
{
    qputenv("HOME", QFile::encodeName(m_dir.path()));
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_CACHE_HOME");
}

TemporaryHome::~TemporaryHome()
{
    qputenv("HOME", m_previousHome);
}

FakeTool::FakeTool(const QString& environmentName, const QString& standardOutput, int exitStatus)
    : m_environmentName(environmentName)
{
    m_path = m_dir.path() + QStringLiteral("/tool");
    m_logPath = m_dir.path() + QStringLiteral("/calls.log");
    QFile output(m_dir.path() + QStringLiteral("/stdout"));
    output.open(QIODevice::WriteOnly);
    output.write(standardOutput.toUtf8());
    output.close();
    writeScript(QStringLiteral("cat '%1/stdout'\nexit %2\n").arg(m_dir.path()).arg(exitStatus));
    qputenv(environmentName.toLatin1().constData(), QFile::encodeName(m_path));
}

FakeTool::~FakeTool()
{
    qunsetenv(m_environmentName.toLatin1().constData());
}

void FakeTool::setScriptBody(const QString& body)
{
    writeScript(body);
}

void FakeTool::writeScript(const QString& body)
{
    // Written to a new file and renamed, so a call already running keeps its old script intact.
    const QString temporary = m_path + QStringLiteral(".new");
    QFile script(temporary);
    script.open(QIODevice::WriteOnly);
    script.write(QStringLiteral("#!/bin/sh\n"
                                "record=''\n"
                                "for a in \"$@\"; do record=\"$record$a\n\"; done\n"
                                "# One write per call, so calls of concurrent processes never interleave.\n"
                                "printf '%s--\\n' \"$record\" >> '%1'\n")
                     .arg(m_logPath)
                     .toUtf8());
    script.write(body.toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::remove(m_path);
    QFile::rename(temporary, m_path);
}

QList<QStringList> FakeTool::calls() const
{
    QFile log(m_logPath);
    if (!log.open(QIODevice::ReadOnly))
        return {};
    QList<QStringList> calls;
    QStringList current;
    for (const QString& line : QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'))) {
        if (line == QLatin1String("--")) {
            calls.append(current);
            current.clear();
        } else {
            current.append(line);
        }
    }
    return calls;
}

bool FakeTool::waitForCalls(int count, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return calls().size() >= count; }, timeoutMs);
}

QString fakesPath(const QString& name)
{
    return QStringLiteral(HALVEX_FAKES_DIR "/") + name;
}

CapturedStdout::CapturedStdout()
{
    std::fflush(stdout);
    m_savedFd = ::dup(1);
    const int fd = ::open(QFile::encodeName(m_dir.path() + QStringLiteral("/out")).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(fd, 1);
    ::close(fd);
}

CapturedStdout::~CapturedStdout()
{
    std::fflush(stdout);
    ::dup2(m_savedFd, 1);
    ::close(m_savedFd);
}

QString CapturedStdout::text() const
{
    std::fflush(stdout);
    QFile file(m_dir.path() + QStringLiteral("/out"));
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

QStringList CapturedStdout::lines() const
{
    return text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString CapturedStdout::waitForLineStartingWith(const QString& prefix, int timeoutMs) const
{
    QString found;
    const bool seen = QTest::qWaitFor(
        [&] {
            for (const QString& line : lines()) {
                if (line.startsWith(prefix)) {
                    found = line;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return seen ? found : QString();
}
