#include "skills/ScriptProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QPointer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <memory>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ScriptProcess {
namespace {

// A process that keeps forking while it is being ended is caught by the next pass: every pass stops
// what it finds first, so nothing found can fork again, then kills it.
constexpr int maxPasses = 8;

QByteArray newTag()
{
    return QByteArray::number(QRandomGenerator::global()->generate64(), 16) +
           QByteArray::number(QCoreApplication::applicationPid());
}

bool hasUserManager()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/systemd/private")) &&
           !QStandardPaths::findExecutable(QStringLiteral("systemd-run")).isEmpty();
}

QList<pid_t> taggedProcesses(const QByteArray& entry)
{
    QList<pid_t> found;
    const uid_t self = ::geteuid();
    const pid_t own = ::getpid();
    const QStringList names = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        bool ok = false;
        const pid_t pid = pid_t(name.toInt(&ok));
        if (!ok || pid == own)
            continue;
        struct stat info;
        const QByteArray directory = QByteArrayLiteral("/proc/") + name.toLatin1();
        if (::stat(directory.constData(), &info) != 0 || info.st_uid != self)
            continue;
        QFile environ(QString::fromLatin1(directory + "/environ"));
        if (!environ.open(QIODevice::ReadOnly))
            continue;
        const QByteArray variables = '\0' + environ.readAll();
        if (variables.contains(entry))
            found.append(pid);
    }
    return found;
}

void appendCapped(QByteArray& into, const QByteArray& chunk, qint64 cap, bool& truncated)
{
    const qint64 room = cap - into.size();
    into += chunk.left(qMax<qint64>(0, qMin<qint64>(room, chunk.size())));
    if (chunk.size() > room)
        truncated = true;
}

} // namespace

int endTagged(const QByteArray& tag)
{
    const QByteArray entry = '\0' + QByteArray(tagVariable) + '=' + tag + '\0';
    QSet<pid_t> ended;
    for (int pass = 0; pass < maxPasses; ++pass) {
        const QList<pid_t> found = taggedProcesses(entry);
        bool fresh = false;
        for (pid_t pid : found) {
            if (!ended.contains(pid)) {
                ::kill(pid, SIGSTOP);
                ended.insert(pid);
                fresh = true;
            }
        }
        if (!fresh)
            break;
    }
    for (pid_t pid : std::as_const(ended)) {
        ::kill(pid, SIGKILL);
        ::kill(pid, SIGCONT);
    }
    return int(ended.size());
}

void run(const QString& scriptPath, const Options& options, QObject* context, ChildProcess::Callback done)
{
    const QByteArray tag = newTag();
    // Parented to the application so that a script still running at quit is reaped with it.
    auto* process = new QProcess(QCoreApplication::instance());
    auto result = std::make_shared<ProcessResult>();
    auto finished = std::make_shared<bool>(false);
    QPointer<QObject> guard(context);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(tagVariable), QString::fromLatin1(tag));
    process->setProcessEnvironment(environment);
    if (!options.workingDirectory.isEmpty())
        process->setWorkingDirectory(options.workingDirectory);

    QString program = QStringLiteral("/bin/bash");
    QStringList arguments{scriptPath};
    const bool inScope = hasUserManager();
    if (inScope) {
        arguments = QStringList{QStringLiteral("--user"),
                                QStringLiteral("--scope"),
                                QStringLiteral("--collect"),
                                QStringLiteral("--quiet"),
                                QStringLiteral("--unit=halvexd-script-") + QString::fromLatin1(tag),
                                QStringLiteral("-p"),
                                QStringLiteral("RuntimeMaxSec=%1ms").arg(qMax(1, options.timeoutMs)),
                                program} +
                    arguments;
        program = QStandardPaths::findExecutable(QStringLiteral("systemd-run"));
    }
    // A group of its own in either case, so the time limit can end the script's group at once.
    process->setChildProcessModifier([] { ::setpgid(0, 0); });

    // Ends the script's group while its leader is not reaped yet (its id names the group and nothing
    // else), then every tagged process off the main thread, then answers.
    auto finish = [process, result, finished, guard, done, tag]() {
        if (*finished)
            return;
        *finished = true;
        process->disconnect();
        auto* watcher = new QFutureWatcher<int>(process);
        QObject::connect(watcher, &QFutureWatcher<int>::finished, process, [process, result, guard, done]() {
            process->deleteLater();
            if (done && guard)
                done(*result);
        });
        watcher->setFuture(QtConcurrent::run([tag]() { return endTagged(tag); }));
    };
    auto stop = [process]() {
        if (process->processId() > 0)
            ::kill(-pid_t(process->processId()), SIGKILL);
        process->kill();
    };

    auto readStreams = [process, result, options, stop]() {
        appendCapped(result->standardOutput, process->readAllStandardOutput(), options.outputCap,
                     result->outputTruncated);
        appendCapped(result->standardError, process->readAllStandardError(), options.outputCap,
                     result->outputTruncated);
        if (result->outputTruncated && process->state() != QProcess::NotRunning)
            stop();
    };
    QObject::connect(process, &QProcess::readyReadStandardOutput, process, readStreams);
    QObject::connect(process, &QProcess::readyReadStandardError, process, readStreams);
    QObject::connect(process, &QProcess::finished, process,
                     [process, result, options, finish](int exitCode, QProcess::ExitStatus status) {
                         appendCapped(result->standardOutput, process->readAllStandardOutput(),
                                      options.outputCap, result->outputTruncated);
                         appendCapped(result->standardError, process->readAllStandardError(),
                                      options.outputCap, result->outputTruncated);
                         result->started = true;
                         result->exitCode = exitCode;
                         // Ended by us at the cap is not a crash of the script.
                         result->crashed =
                             status == QProcess::CrashExit && !result->outputTruncated && !result->timedOut;
                         finish();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, result, finish](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         result->errorString = process->errorString();
                         finish();
                     });
    auto* timer = new QTimer(process);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, process, [result, stop]() {
        result->timedOut = true;
        stop();
    });
    timer->start(qMax(1, options.timeoutMs));
    process->start(program, arguments, QIODevice::ReadOnly);
}

} // namespace ScriptProcess
