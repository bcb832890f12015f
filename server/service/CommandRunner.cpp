#include "service/CommandRunner.h"

#include "platform/ForceQuit.h"
#include "service/BlockCommand.h"
#include "skills/SkillRegistry.h"
#include "storage/CustomSkillStore.h"

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
    const BlockCommand block = *parsed;
    const QList<ProcessFacts> seen = m_seen ? m_seen(block.app) : QList<ProcessFacts>();
    ForceQuit().end(block.app, seen, this, [block, done](const ForceQuitOutcome& outcome) {
        const QString type = QStringLiteral("block");
        if (outcome.ended)
            done({true, QStringLiteral("⛔ %1 force-quit (%2)").arg(block.app, block.type), type});
        else if (outcome.error.isEmpty())
            done({false, QStringLiteral("No running app named %1").arg(block.app), type});
        else
            done({false, QStringLiteral("Could not force-quit %1: %2").arg(block.app, outcome.error), type});
    });
}

// Every answer arrives after run() returns, whatever the command.
void CommandRunner::answerLater(const Outcome& outcome, const Done& done)
{
    QMetaObject::invokeMethod(
        this, [outcome, done]() { done(outcome); }, Qt::QueuedConnection);
}
