#include "monitor/LogStream.h"

#include "monitor/TccLineParser.h"
#include "platform/Diagnostics.h"
#include "platform/ToolPaths.h"

#include <QStringDecoder>

LogStream::LogStream(QObject* parent) : AccessSource(parent) {}

LogStream::~LogStream()
{
    stop();
}

void LogStream::start()
{
    stop();
    auto* process = new QProcess(this);
    // Nobody reads the tool's standard error; discarding it keeps it from piling up in memory.
    process->setStandardErrorFile(QProcess::nullDevice());
    connect(process, &QProcess::readyReadStandardOutput, this, &LogStream::readAvailable);
    connect(process, &QProcess::errorOccurred, this, [process](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        Diagnostics::print(QStringLiteral("[MonitorEngine] log stream failed: ") + process->errorString());
        process->deleteLater();
    });
    // An ended stream is finished with: nothing is parsed from it any more and nothing restarts it.
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    m_process = process;
    process->start(ToolPaths::path(Tool::Log), TccLineParser::logStreamArguments(), QIODevice::ReadOnly);
}

void LogStream::stop()
{
    if (!m_process)
        return;
    QProcess* process = m_process;
    m_process = nullptr;
    process->disconnect(this);
    if (process->state() != QProcess::NotRunning) {
        // A terminate request without waiting; the process object goes once the child has exited.
        connect(process, &QProcess::finished, process, &QObject::deleteLater);
        process->terminate();
    } else {
        process->deleteLater();
    }
}

bool LogStream::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

QStringList LogStream::splitChunk(const QByteArray& chunk)
{
    if (chunk.isEmpty())
        return {};
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(chunk);
    if (decoder.hasError())
        return {};
    return text.split(QLatin1Char('\n'));
}

void LogStream::readAvailable()
{
    if (!m_process)
        return;
    const QStringList lines = splitChunk(m_process->readAllStandardOutput());
    for (const QString& line : lines) {
        if (auto access = TccLineParser::parseTCCLine(line))
            Q_EMIT accessDetected(access->type, access->app, access->details);
    }
}
