#include "service/CommandRunner.h"

#include "platform/ChildProcess.h"
#include "platform/ForceQuit.h"
#include "platform/ToolPaths.h"
#include "service/BlockCommand.h"
#include "skills/SkillRegistry.h"
#include "storage/CustomSkillStore.h"

namespace {

constexpr int pkillTimeoutMs = 5000;

} // namespace

CommandRunner::CommandRunner(SkillRunner& runner, CustomSkillStore& customSkills, QObject* parent)
    : QObject(parent), m_runner(runner), m_customSkills(customSkills)
{
}

bool CommandRunner::isRunnableId(const QString& id) const
{
    return SkillRegistry::find(id) || m_customSkills.find(id);
}

bool CommandRunner::runsScript(const QString& command)
{
    const QString trimmed = command.trimmed();
    return !SkillRegistry::find(trimmed) && !BlockCommand::isBlockLine(trimmed);
}

void CommandRunner::run(const QString& command, Done done)
{
    const QString trimmed = command.trimmed();
    auto report = [done](const QString& type) {
        return [done, type](const SkillRunner::Answer& answer) { done({answer.success, answer.text, type}); };
    };
    if (const Skill* skill = SkillRegistry::find(trimmed)) {
        m_runner.run(*skill, report(QStringLiteral("skill")));
        return;
    }
    if (const std::optional<CustomSkillDef> custom = m_customSkills.find(trimmed)) {
        m_runner.runScript(custom->script, report(QStringLiteral("custom")));
        return;
    }
    if (BlockCommand::isBlockLine(trimmed)) {
        block(trimmed, done);
        return;
    }
    m_runner.runScript(command, report(QStringLiteral("script")));
}

void CommandRunner::block(const QString& command, const Done& done)
{
    const std::optional<BlockCommand> parsed = BlockCommand::parse(command);
    if (!parsed) {
        answerLater({false,
                     QStringLiteral("Usage: block <type> <application>, for example: block camera zoom.us"),
                     QStringLiteral("block")},
                    done);
        return;
    }
    // pkill is waited for: its exit status is the only word on whether anything was running.
    ProcessOptions options;
    options.timeoutMs = pkillTimeoutMs;
    options.captureOutput = false;
    options.captureErrors = true;
    const BlockCommand block = *parsed;
    ChildProcess::run(
        ToolPaths::path(Tool::Pkill), ForceQuit::pkillArguments(block.app), options, this,
        [block, done](const ProcessResult& result) {
            const QString type = QStringLiteral("block");
            if (result.succeeded()) {
                done({true, QStringLiteral("⛔ %1 force-quit (%2)").arg(block.app, block.type), type});
            } else if (result.started && !result.timedOut && !result.crashed && result.exitCode == 1) {
                done({false, QStringLiteral("No running app named %1").arg(block.app), type});
            } else {
                const QString why = !result.started   ? result.errorString
                                    : result.timedOut ? QStringLiteral("pkill did not finish")
                                                      : QString::fromUtf8(result.standardError).trimmed();
                done({false,
                      QStringLiteral("Could not force-quit %1: %2")
                          .arg(block.app, why.isEmpty() ? QStringLiteral("pkill failed") : why),
                      type});
            }
        });
}

// Every answer arrives after run() returns, whatever the command.
void CommandRunner::answerLater(const Outcome& outcome, const Done& done)
{
    QMetaObject::invokeMethod(
        this, [outcome, done]() { done(outcome); }, Qt::QueuedConnection);
}
