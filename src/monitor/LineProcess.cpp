#include "monitor/LineProcess.h"

LineProcess::LineProcess(QObject* parent) : QObject(parent) {}

LineProcess::~LineProcess()
{
    stop();
}

void LineProcess::start(const QString& program, const QStringList& arguments,
                        const QProcessEnvironment& environment)
{
    stop();
    auto* process = new QProcess(this);
    process->setProcessEnvironment(environment);
    process->setStandardErrorFile(QProcess::nullDevice());
    connect(process, &QProcess::readyReadStandardOutput, this, &LineProcess::readAvailable);
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        const QString reason = process->errorString();
        m_process = nullptr;
        process->deleteLater();
        Q_EMIT failedToStart(reason);
    });
    connect(process, &QProcess::finished, this, [this, process]() {
        readAvailable();
        m_process = nullptr;
        process->deleteLater();
        Q_EMIT finished();
    });
    m_process = process;
    m_partial.clear();
    m_discardingLine = false;
    process->start(program, arguments, QIODevice::ReadOnly);
}

void LineProcess::stop()
{
    if (!m_process)
        return;
    QProcess* process = m_process;
    m_process = nullptr;
    process->disconnect(this);
    // A killed child is reaped at once; waiting for it keeps the process table and the quit clean.
    if (process->state() != QProcess::NotRunning) {
        process->kill();
        process->waitForFinished(1000);
    }
    // Later: stop() may run inside one of this process's own signals.
    process->deleteLater();
}

void LineProcess::readAvailable()
{
    if (!m_process)
        return;
    const QByteArray chunk = m_process->readAllStandardOutput();
    qsizetype start = 0;
    while (start < chunk.size()) {
        const qsizetype end = chunk.indexOf('\n', start);
        const QByteArrayView piece =
            QByteArrayView(chunk).sliced(start, (end < 0 ? chunk.size() : end) - start);
        if (!m_discardingLine)
            m_partial += piece;
        if (m_partial.size() > maxLineLength) {
            m_partial.clear();
            m_discardingLine = true;
        }
        if (end < 0)
            break;
        start = end + 1;
        if (!m_discardingLine) {
            const QByteArray line = std::exchange(m_partial, QByteArray());
            Q_EMIT lineReceived(line);
            // A receiver may have stopped the process; what is left of the chunk is not wanted.
            if (!m_process)
                return;
        }
        m_discardingLine = false;
    }
}
