#include "skills/SkillRunner.h"

#include "platform/ChildProcess.h"
#include "platform/ToolEnvironment.h"
#include "skills/ScriptProcess.h"
#include "skills/SystemTools.h"

#include <QDir>
#include <QFutureWatcher>
#include <QProcessEnvironment>
#include <QTemporaryFile>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <memory>

namespace {

ToolOutput toToolOutput(const ProcessResult& result)
{
    return {result.started,
            result.timedOut,
            result.outputTruncated,
            result.exitCode,
            QString::fromUtf8(result.standardOutput),
            QString::fromUtf8(result.standardError)};
}

// The C locale keeps the tools' output in the form the parsers read.
QProcessEnvironment toolEnvironment()
{
    QProcessEnvironment environment = ToolEnvironment::forParsing();
    environment.insert(QStringLiteral("SYSTEMD_PAGER"), QString());
    environment.insert(QStringLiteral("SYSTEMD_COLORS"), QStringLiteral("0"));
    environment.insert(QStringLiteral("PAGER"), QStringLiteral("cat"));
    return environment;
}

} // namespace

SkillRunner::SkillRunner(Limits limits, QObject* parent)
    : QObject(parent), m_limits(limits), m_pool(std::make_unique<QThreadPool>())
{
    m_pool->setMaxThreadCount(qMax(1, m_limits.analysisThreads));
    m_pool->setObjectName(QStringLiteral("skill-analysis"));
}

SkillRunner::~SkillRunner()
{
    // An analysis blocked for good (a read of a stuck process) must not hold up the exit; its thread
    // is left to the end of the process.
    if (!m_pool->waitForDone(2000))
        (void)m_pool.release();
}

QString SkillRunner::capped(QString text) const
{
    if (text.size() > m_limits.outputCap)
        text = text.left(m_limits.outputCap) + QStringLiteral("\n… cut");
    return text;
}

QString SkillRunner::scriptReport(const ProcessResult& result) const
{
    if (!result.started)
        return QStringLiteral("Could not start /bin/bash: %1").arg(result.errorString);
    QString text = QString::fromUtf8(result.standardOutput);
    const QString errors = QString::fromUtf8(result.standardError);
    if (!errors.isEmpty() && !text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    text = capped(text + errors).trimmed();
    if (result.outputTruncated)
        text += QStringLiteral("\n… output cut at %1 KB; the script was ended there")
                    .arg(m_limits.outputCap / 1024);
    if (result.timedOut)
        text += QStringLiteral("\n⏱ Stopped after %1 s").arg(m_limits.timeoutMs / 1000.0);
    else if (result.crashed)
        text += QStringLiteral("\n(ended by a signal)");
    else if (result.exitCode != 0 && !result.outputTruncated)
        text += QStringLiteral("\n(exit status %1)").arg(result.exitCode);
    text = text.trimmed();
    return text.isEmpty() ? QStringLiteral("(no output)") : text;
}

void SkillRunner::run(const Skill& skill, Done callerDone)
{
    // The first of the answer and the deadline is given; the other is dropped.
    auto answered = std::make_shared<bool>(false);
    Done done = [answered, callerDone](const Answer& answer) {
        if (*answered)
            return;
        *answered = true;
        callerDone(answer);
    };
    QTimer::singleShot(m_limits.skillDeadlineMs, this, [done, id = skill.id, this]() {
        done({false,
              QStringLiteral("⏱ %1 timed out after %2 s").arg(id).arg(m_limits.skillDeadlineMs / 1000.0)});
    });
    auto input = std::make_shared<SkillInput>();
    input->paths = HostPaths::current();
    input->now = QDateTime::currentDateTime();
    runCalls(skill.calls, input, [this, skill, input, done]() {
        if (!skill.followUp) {
            compose(skill, input, done);
            return;
        }
        offMainThread<ToolCalls>([followUp = skill.followUp, input]() { return followUp(*input); },
                                 [this, skill, input, done](const ToolCalls& more) {
                                     runCalls(more, input,
                                              [this, skill, input, done]() { compose(skill, input, done); });
                                 });
    });
}

void SkillRunner::runCalls(const ToolCalls& calls, const std::shared_ptr<SkillInput>& input,
                           std::function<void()> then)
{
    if (calls.isEmpty()) {
        QMetaObject::invokeMethod(this, then, Qt::QueuedConnection);
        return;
    }
    auto pending = std::make_shared<int>(int(calls.size()));
    auto finishOne = [pending, then]() {
        if (--*pending == 0)
            then();
    };
    ProcessOptions options;
    options.timeoutMs = m_limits.timeoutMs;
    options.outputCap = m_limits.outputCap;
    options.captureErrors = true;
    options.environment = toolEnvironment();
    for (auto it = calls.cbegin(); it != calls.cend(); ++it) {
        const QString key = it.key();
        const QString program = SystemTools::find(it->tool);
        if (program.isEmpty()) {
            input->outputs.insert(key, ToolOutput{});
            QMetaObject::invokeMethod(this, finishOne, Qt::QueuedConnection);
            continue;
        }
        ChildProcess::run(program, it->arguments, options, this,
                          [input, key, finishOne](const ProcessResult& result) {
                              input->outputs.insert(key, toToolOutput(result));
                              finishOne();
                          });
    }
}

template <typename T>
void SkillRunner::offMainThread(std::function<T()> work, std::function<void(const T&)> then)
{
    auto* watcher = new QFutureWatcher<T>(this);
    connect(watcher, &QFutureWatcher<T>::finished, this, [watcher, then]() {
        watcher->deleteLater();
        then(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(m_pool.get(), std::move(work)));
}

void SkillRunner::compose(const Skill& skill, const std::shared_ptr<SkillInput>& input, Done done)
{
    offMainThread<QString>([answer = skill.answer, input]() { return answer(*input); },
                           [this, done](const QString& text) {
                               done({true, capped(text)});
                           });
}

void SkillRunner::runScript(const QString& script, Done done)
{
    auto file =
        std::make_shared<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/halvexd-script-XXXXXX.sh"));
    if (!file->open() || file->write(script.toUtf8()) < 0 || !file->flush()) {
        QMetaObject::invokeMethod(
            this,
            [done]() {
                done({false, QStringLiteral("Could not write the script to a temporary file")});
            },
            Qt::QueuedConnection);
        return;
    }
    ScriptProcess::Options options;
    options.timeoutMs = m_limits.timeoutMs;
    options.outputCap = m_limits.outputCap;
    options.workingDirectory = QDir::homePath();
    ScriptProcess::run(file->fileName(), options, this, [this, file, done](const ProcessResult& result) {
        done({result.succeeded() && !result.outputTruncated, scriptReport(result)});
    });
}
