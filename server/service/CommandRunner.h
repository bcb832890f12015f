#pragma once

#include "platform/ProcessFacts.h"
#include "skills/SkillRunner.h"

#include <QObject>

class CustomSkillStore;

// What a command line of the console, the script editor or the menu-bar panel does: a built-in skill
// id runs that skill, a script skill id runs its script, "block <type> <app>" force-quits the
// application, and anything else is run as a script (the script editor's "Test").
class CommandRunner : public QObject
{
    Q_OBJECT
public:
    struct Outcome
    {
        bool success = false;
        QString result;
        QString type; // "skill", "custom", "block" or "script"
    };
    using Done = std::function<void(const Outcome&)>;

    CommandRunner(SkillRunner& runner, CustomSkillStore& customSkills, QObject* parent = nullptr);

    void run(const QString& command, Done done);
    // A built-in skill id or the id of a stored script skill.
    bool isRunnableId(const QString& id) const;
    // True when the command runs a script (a script skill or the text itself), which only a caller
    // outside a sandbox may do; built-in skills and block lines are open to every caller.
    static bool runsScript(const QString& command);

    // Which processes a block of an application ends first: those the detection sources saw.
    using SeenProcessesOf = std::function<QList<ProcessFacts>(const QString& app)>;
    void setSeenProcesses(SeenProcessesOf seen) { m_seen = std::move(seen); }

private:
    void block(const QString& command, const Done& done);
    void answerLater(const Outcome& outcome, const Done& done);

    SkillRunner& m_runner;
    CustomSkillStore& m_customSkills;
    SeenProcessesOf m_seen;
};
