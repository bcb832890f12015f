#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Child processes started directly with an argument list (never a shell), asynchronously on the
// calling thread's event loop. Results come back on that thread and are dropped once the context
// object is gone.
struct ProcessOptions
{
    int timeoutMs = 0;          // 0: no time limit; otherwise the process is killed when it runs longer
    qint64 outputCap = -1;      // -1: keep all of standard output; otherwise keep at most this many bytes
    bool captureOutput = true;  // false: standard output is discarded
    bool captureErrors = false; // true: standard error is kept too (same cap)
    // true: the program runs in a process group of its own, and the time limit kills the whole group,
    // so a script cannot outlive its limit through the processes it started.
    bool ownProcessGroup = false;
    QString workingDirectory;
    std::optional<QProcessEnvironment> environment;
};

struct ProcessResult
{
    bool started = false;
    bool timedOut = false;
    bool crashed = false;
    int exitCode = -1;
    bool outputTruncated = false;
    QByteArray standardOutput;
    QByteArray standardError;
    QString errorString;

    bool succeeded() const { return started && !timedOut && !crashed && exitCode == 0; }
};

namespace ChildProcess {

using Callback = std::function<void(const ProcessResult&)>;

void run(const QString& program, const QStringList& arguments, const ProcessOptions& options,
         QObject* context, Callback done);

// Starts the program with its output discarded; nobody waits for it and failures are ignored.
void launchAndForget(const QString& program, const QStringList& arguments);

} // namespace ChildProcess
