#include "support/SessionScript.h"

#include <QTest>

#include <unistd.h>

bool SessionScript::start(const QString& name, const QStringList& arguments, int readyTimeoutMs)
{
    stop();
    m_error.clear();
    m_unavailable = false;
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(QStringLiteral(HALVEX_SOURCE_DIR "/scripts/") + name,
                    QStringList{"--session-only", "--watch-parent", QString::number(::getpid())} + arguments);
    if (!m_process.waitForStarted(5000)) {
        m_error = m_process.errorString();
        return false;
    }
    QByteArray output;
    const bool ready = QTest::qWaitFor(
        [&] {
            output += m_process.readAllStandardOutput();
            return output.contains("READY\n") || m_process.state() == QProcess::NotRunning;
        },
        readyTimeoutMs);
    if (!ready || !output.contains("READY\n")) {
        if (m_process.state() == QProcess::NotRunning)
            m_unavailable = m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 3;
        else
            m_error = QStringLiteral("no READY in time; ");
        m_error += QString::fromLocal8Bit(output + m_process.readAllStandardError()).trimmed();
        stop();
        return false;
    }
    for (const QByteArray& line : output.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            m_variables.insert(QString::fromUtf8(line.left(equals)), QString::fromUtf8(line.mid(equals + 1)));
    }
    return true;
}

void SessionScript::stop(int graceMs)
{
    m_variables.clear();
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(graceMs))
        m_process.kill();
    m_process.waitForFinished(2000);
}

int SessionScript::run(const QProcessEnvironment& environment, const QString& program,
                       const QStringList& arguments, QByteArray* output, int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(2000);
        return -1;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}
