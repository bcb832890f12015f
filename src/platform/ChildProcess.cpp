#include "platform/ChildProcess.h"

#include <QCoreApplication>
#include <QPointer>
#include <QProcess>
#include <QTimer>

#include <memory>

#include <signal.h>
#include <unistd.h>

namespace ChildProcess {
namespace {

void appendCapped(QByteArray& into, const QByteArray& chunk, qint64 cap, bool& truncated)
{
    if (cap < 0) {
        into += chunk;
        return;
    }
    const qint64 room = cap - into.size();
    if (room >= chunk.size()) {
        into += chunk;
        return;
    }
    if (room > 0)
        into += chunk.left(room);
    truncated = true;
}

} // namespace

void run(const QString& program, const QStringList& arguments, const ProcessOptions& options,
         QObject* context, Callback done)
{
    // Parented to the application so that a process still running at quit is reaped with it.
    auto* process = new QProcess(QCoreApplication::instance());
    auto result = std::make_shared<ProcessResult>();
    QPointer<QObject> guard(context);
    const bool hasContext = context != nullptr;

    auto finish = [process, result, guard, hasContext, done]() {
        process->disconnect();
        process->deleteLater();
        if (done && (!hasContext || guard))
            done(*result);
    };

    if (!options.workingDirectory.isEmpty())
        process->setWorkingDirectory(options.workingDirectory);
    if (options.environment)
        process->setProcessEnvironment(*options.environment);
    if (!options.captureOutput)
        process->setStandardOutputFile(QProcess::nullDevice());
    if (!options.captureErrors)
        process->setStandardErrorFile(QProcess::nullDevice());
    if (options.ownProcessGroup)
        process->setChildProcessModifier([] { ::setpgid(0, 0); });

    // Output is read while the process runs, so a listing larger than the pipe buffer cannot stall it.
    QObject::connect(process, &QProcess::readyReadStandardOutput, process, [process, result, options]() {
        appendCapped(result->standardOutput, process->readAllStandardOutput(), options.outputCap,
                     result->outputTruncated);
    });
    QObject::connect(process, &QProcess::readyReadStandardError, process, [process, result, options]() {
        appendCapped(result->standardError, process->readAllStandardError(), options.outputCap,
                     result->outputTruncated);
    });
    QObject::connect(process, &QProcess::finished, process,
                     [process, result, options, finish](int exitCode, QProcess::ExitStatus status) {
                         if (options.captureOutput)
                             appendCapped(result->standardOutput, process->readAllStandardOutput(),
                                          options.outputCap, result->outputTruncated);
                         result->started = true;
                         result->exitCode = exitCode;
                         result->crashed = status == QProcess::CrashExit;
                         finish();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, result, finish](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         result->errorString = process->errorString();
                         finish();
                     });
    if (options.timeoutMs > 0) {
        auto* timer = new QTimer(process);
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, process, [process, result, options]() {
            result->timedOut = true;
            // The leader is not reaped yet, so its id still names its group and nothing else.
            if (options.ownProcessGroup && process->processId() > 0)
                ::kill(-pid_t(process->processId()), SIGKILL);
            process->kill();
        });
        timer->start(options.timeoutMs);
    }
    process->start(program, arguments, QIODevice::ReadOnly);
}

void launchAndForget(const QString& program, const QStringList& arguments)
{
    ProcessOptions options;
    options.captureOutput = false;
    run(program, arguments, options, nullptr, {});
}

} // namespace ChildProcess
