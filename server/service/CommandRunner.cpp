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
    ForceQuit().killApp(parsed->app);
    answerLater({true, QStringLiteral("⛔ %1 force-quit (%2)").arg(parsed->app, parsed->type),
                 QStringLiteral("block")},
                done);
}

// Every answer arrives after run() returns, whatever the command.
void CommandRunner::answerLater(const Outcome& outcome, const Done& done)
{
    QMetaObject::invokeMethod(
        this, [outcome, done]() { done(outcome); }, Qt::QueuedConnection);
}
