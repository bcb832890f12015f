#include "platform/ForceQuit.h"

#include "platform/ChildProcess.h"
#include "platform/Platform.h"
#include "platform/SystemRoots.h"
#include "platform/ToolPaths.h"

#include <QCoreApplication>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>

#include <memory>

#include <signal.h>

namespace {

constexpr int checkIntervalMs = 100;
constexpr int linuxCommLength = 15;

// Waits for the signalled processes to go, kills the ones still there after the grace time, and tells
// whether any went.
struct EndingProcesses
{
    QList<ProcessFacts> processes;
    QString procRoot;
    int waitedMs = 0;
    bool killed = false;
    ForceQuit::Done done;
    QPointer<QObject> context;
    bool hasContext = false;

    bool anyGone() const
    {
        for (const ProcessFacts& facts : processes) {
            if (!ProcessFiles::isAlive(procRoot, facts))
                return true;
        }
        return false;
    }
    bool allGone() const
    {
        for (const ProcessFacts& facts : processes) {
            if (ProcessFiles::isAlive(procRoot, facts))
                return false;
        }
        return true;
    }
};

void finish(const std::shared_ptr<EndingProcesses>& ending)
{
    if (ending->done && (!ending->hasContext || ending->context))
        ending->done({ending->anyGone(), QString()});
}

void watchEnding(const std::shared_ptr<EndingProcesses>& ending)
{
    QTimer::singleShot(checkIntervalMs, [ending]() {
        ending->waitedMs += checkIntervalMs;
        if (ending->allGone() ||
            (ending->killed && ending->waitedMs >= ForceQuit::graceMs + 5 * checkIntervalMs)) {
            finish(ending);
            return;
        }
        if (!ending->killed && ending->waitedMs >= ForceQuit::graceMs) {
            ending->killed = true;
            for (const ProcessFacts& facts : ending->processes) {
                if (ProcessFiles::isAlive(ending->procRoot, facts))
                    ::kill(pid_t(facts.pid), SIGKILL);
            }
        }
        watchEnding(ending);
    });
}

} // namespace

bool ForceQuit::isOwnName(const QString& name)
{
    const QString low = name.trimmed().toLower();
    return low == u"halvex" || low == u"halvexd";
}

void ForceQuit::end(const QString& name, const QList<ProcessFacts>& seen, QObject* context, Done done) const
{
    // An empty pattern would match every process.
    if (name.isEmpty() || isOwnName(name)) {
        if (done)
            QTimer::singleShot(0, context ? context : QCoreApplication::instance(), [done, name]() {
                done({false, name.isEmpty() ? QStringLiteral("no application named")
                                            : QStringLiteral("Halvex does not end itself")});
            });
        return;
    }
    auto ending = std::make_shared<EndingProcesses>();
    ending->procRoot = SystemRoots::procRoot();
    ending->done = std::move(done);
    ending->context = context;
    ending->hasContext = context != nullptr;
    const QSet<QString> own = ProcessFiles::ownExecutables();
    for (const ProcessFacts& facts : seen) {
        const std::optional<ProcessFacts> now = ProcessFiles::read(ending->procRoot, facts.pid);
        if (!now || now->startTime != facts.startTime || own.contains(now->executable) ||
            !ProcessFiles::isAlive(ending->procRoot, facts))
            continue;
        ending->processes.append(facts);
    }
    if (ending->processes.isEmpty()) {
        endByName(name, context, ending->done);
        return;
    }
    for (const ProcessFacts& facts : ending->processes)
        ::kill(pid_t(facts.pid), SIGTERM);
    watchEnding(ending);
}

void ForceQuit::endByName(const QString& name, QObject* context, Done done) const
{
    if (!done) {
        ChildProcess::launchAndForget(ToolPaths::path(Tool::Pkill), pkillArguments(name));
        return;
    }
    // pkill is waited for: its exit status is the only word on whether anything was running.
    ProcessOptions options;
    options.timeoutMs = 5000;
    options.captureOutput = false;
    options.captureErrors = true;
    ChildProcess::run(
        ToolPaths::path(Tool::Pkill), pkillArguments(name), options, context,
        [done](const ProcessResult& result) {
            if (result.succeeded()) {
                done({true, QString()});
            } else if (result.started && !result.timedOut && !result.crashed && result.exitCode == 1) {
                done({false, QString()});
            } else {
                const QString why = !result.started   ? result.errorString
                                    : result.timedOut ? QStringLiteral("pkill did not finish")
                                                      : QString::fromUtf8(result.standardError).trimmed();
                done({false, why.isEmpty() ? QStringLiteral("pkill failed") : why});
            }
        });
}

QStringList ForceQuit::pkillArguments(const QString& name)
{
    // The name is matched literally: "." or "a|b" must not terminate unrelated processes, and an escaped
    // leading "-" cannot be read as an option.
    if (Platform::isLinux())
        return {QStringLiteral("-x"), QStringLiteral("-i"),
                QRegularExpression::escape(name.left(linuxCommLength))};
    return {QStringLiteral("-i"), QRegularExpression::escape(name)};
}
