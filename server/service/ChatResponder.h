#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class CommandRunner;
class CustomSkillStore;

// Answers the console's free text: "help" lists the skills, a message that names a skill (by id, by
// name or by a clear keyword) runs it, anything else gets a short word on what can be asked.
class ChatResponder : public QObject
{
    Q_OBJECT
public:
    // A skill as chat knows it.
    struct Entry
    {
        QString id;
        QString emoji;
        QString name;
        QStringList keywords; // lower-case words that point at this skill
    };

    // What a message asks for.
    struct Intent
    {
        enum Kind { Help, Run, Ambiguous, Unknown } kind = Unknown;
        QString skillId;          // Run
        QStringList alternatives; // Ambiguous: the ids that match equally well
    };

    ChatResponder(CommandRunner& commands, CustomSkillStore& customSkills, QObject* parent = nullptr);

    // `scriptsAllowed`: the caller may run script skills (CallerTrust).
    void respond(const QString& message, bool scriptsAllowed, std::function<void(const QString&)> done);

    // The built-in skills (one entry per id, catalogue order) followed by the script skills.
    QList<Entry> entries() const;
    static QList<Entry> builtinEntries();
    static Intent interpret(const QString& message, const QList<Entry>& entries);
    static QString helpText(const QList<Entry>& entries);
    static QString introduction();

private:
    CommandRunner& m_commands;
    CustomSkillStore& m_customSkills;
};
