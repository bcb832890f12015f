#include "service/ChatResponder.h"

#include "model/SkillCatalogue.h"
#include "service/ChatKeywords.h"
#include "service/CommandRunner.h"
#include "storage/CustomSkillStore.h"

#include <QRegularExpression>
#include <QSet>

namespace {

QString normalized(const QString& message)
{
    QString text = message.trimmed().toLower();
    while (!text.isEmpty() && QStringLiteral("?!.").contains(text.back()))
        text.chop(1);
    return text.trimmed();
}

bool asksForHelp(const QString& text)
{
    static const QSet<QString> words{QStringLiteral("help"),     QStringLiteral("/help"),
                                     QStringLiteral("?"),        QStringLiteral("aide"),
                                     QStringLiteral("/start"),   QStringLiteral("skills"),
                                     QStringLiteral("commands"), QStringLiteral("menu"),
                                     QStringLiteral("list"),     QStringLiteral("what can you do")};
    return text.isEmpty() || words.contains(text);
}

QStringList wordsOf(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("[^\\p{L}\\p{N}-]+"));
    QStringList words;
    for (const QString& token : text.split(separators, Qt::SkipEmptyParts)) {
        words.append(token);
        if (token.contains(QLatin1Char('-')))
            words.append(token.split(QLatin1Char('-'), Qt::SkipEmptyParts));
    }
    return words;
}

// The entry's words: its keywords, the first of them counting double, then the words of its name.
int score(const ChatResponder::Entry& entry, const QSet<QString>& words)
{
    QSet<QString> vocabulary(entry.keywords.cbegin(), entry.keywords.cend());
    for (const QString& word : wordsOf(entry.name.toLower())) {
        if (word.size() >= 3)
            vocabulary.insert(word);
    }
    int hits = 0;
    for (const QString& word : vocabulary)
        hits += words.contains(word) ? 1 : 0;
    if (!entry.keywords.isEmpty() && words.contains(entry.keywords.first()))
        ++hits;
    return hits;
}

QString describe(const ChatResponder::Entry& entry)
{
    return QStringLiteral("%1 %2 (%3)").arg(entry.emoji, entry.name, entry.id);
}

} // namespace

ChatResponder::ChatResponder(CommandRunner& commands, CustomSkillStore& customSkills, QObject* parent)
    : QObject(parent), m_commands(commands), m_customSkills(customSkills)
{
}

QList<ChatResponder::Entry> ChatResponder::builtinEntries()
{
    QList<Entry> all;
    QSet<QString> seen;
    for (const QuickSkill& skill : SkillCatalogue::allSkills()) {
        if (seen.contains(skill.id))
            continue;
        seen.insert(skill.id);
        all.append({skill.id, skill.emoji, skill.name, ChatKeywords::forSkill(skill.id)});
    }
    return all;
}

QList<ChatResponder::Entry> ChatResponder::entries() const
{
    QList<Entry> all = builtinEntries();
    for (const CustomSkillDef& skill : m_customSkills.all())
        all.append({skill.id, skill.emoji, skill.name, {}});
    return all;
}

ChatResponder::Intent ChatResponder::interpret(const QString& message, const QList<Entry>& entries)
{
    const QString text = normalized(message);
    if (asksForHelp(text))
        return {Intent::Help, {}, {}};
    for (const Entry& entry : entries) {
        if (text == entry.id || text == entry.name.toLower())
            return {Intent::Run, entry.id, {}};
    }
    const QStringList words = wordsOf(text);
    const QSet<QString> wordSet(words.cbegin(), words.cend());
    for (const Entry& entry : entries) {
        if (wordSet.contains(entry.id))
            return {Intent::Run, entry.id, {}};
    }
    int best = 0;
    QStringList leaders;
    for (const Entry& entry : entries) {
        const int hits = score(entry, wordSet);
        if (hits > best) {
            best = hits;
            leaders = {entry.id};
        } else if (hits == best && hits > 0) {
            leaders.append(entry.id);
        }
    }
    if (leaders.size() == 1)
        return {Intent::Run, leaders.first(), {}};
    if (leaders.size() > 1)
        return {Intent::Ambiguous, {}, leaders};
    return {Intent::Unknown, {}, {}};
}

QString ChatResponder::helpText(const QList<Entry>& entries)
{
    QStringList lines{QStringLiteral("Halvex skills: type an id, a name or a keyword.")};
    for (const Entry& entry : entries)
        lines.append(QStringLiteral("%1 %2 — %3").arg(entry.emoji, entry.id, entry.name));
    return lines.join(QLatin1Char('\n'));
}

QString ChatResponder::introduction()
{
    return QStringLiteral("I run Halvex's security checks on this machine. Ask for example \"firewall\", "
                          "\"open ports\", \"vpn\", \"keylogger\", \"disk usage\" or \"clean cache\", "
                          "or type \"help\" for the full list.");
}

void ChatResponder::respond(const QString& message, bool scriptsAllowed,
                            std::function<void(const QString&)> done)
{
    const QList<Entry> known = entries();
    const Intent intent = interpret(message, known);
    auto later = [this, done](const QString& text) {
        QMetaObject::invokeMethod(
            this, [done, text]() { done(text); }, Qt::QueuedConnection);
    };
    switch (intent.kind) {
    case Intent::Help:
        later(helpText(known));
        return;
    case Intent::Unknown:
        later(introduction());
        return;
    case Intent::Ambiguous: {
        QStringList lines{QStringLiteral("Which one do you mean?")};
        for (const Entry& entry : known) {
            if (intent.alternatives.contains(entry.id))
                lines.append(describe(entry));
        }
        later(lines.join(QLatin1Char('\n')));
        return;
    }
    case Intent::Run:
        break;
    }
    if (!scriptsAllowed && CommandRunner::runsScript(intent.skillId)) {
        later(QStringLiteral("Script skills run only for programs of this user outside a sandbox."));
        return;
    }
    const auto entry =
        std::find_if(known.cbegin(), known.cend(), [&](const Entry& e) { return e.id == intent.skillId; });
    const QString heading = QStringLiteral("%1 %2").arg(entry->emoji, entry->name);
    m_commands.run(intent.skillId, [done, heading](const CommandRunner::Outcome& outcome) {
        done(heading + QLatin1Char('\n') + outcome.result);
    });
}
