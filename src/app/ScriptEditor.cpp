#include "app/ScriptEditor.h"

#include "app/AppState.h"
#include "model/TextUtil.h"

#include <QSet>

#include <algorithm>

ScriptEditor::ScriptEditor(AppState& state, std::optional<CustomSkillDef> existing, QObject* parent)
    : QObject(parent), m_state(state), m_existing(std::move(existing))
{
    if (m_existing) {
        m_name = m_existing->name;
        m_emoji = m_existing->emoji;
        m_script = m_existing->script;
    }
}

QString ScriptEditor::title() const
{
    return m_existing ? m_name : QStringLiteral("New script");
}

void ScriptEditor::setName(const QString& name)
{
    if (name == m_name)
        return;
    const bool couldSave = canSave();
    m_name = name;
    Q_EMIT nameChanged();
    if (canSave() != couldSave)
        Q_EMIT canSaveChanged();
}

void ScriptEditor::setEmoji(const QString& emoji)
{
    if (emoji == m_emoji)
        return;
    m_emoji = emoji;
    Q_EMIT emojiChanged();
}

void ScriptEditor::setScript(const QString& script)
{
    if (script == m_script)
        return;
    m_script = script;
    Q_EMIT scriptChanged();
}

bool ScriptEditor::canSave() const
{
    return !m_isSaving && !m_name.trimmed().isEmpty();
}

QString ScriptEditor::iconToSave(const QString& emoji)
{
    return emoji.isEmpty() ? QString::fromUtf8(defaultEmoji) : TextUtil::leftCharacters(emoji, 2);
}

void ScriptEditor::test()
{
    if (m_isTesting || m_script.trimmed().isEmpty())
        return;
    setTesting(true);
    setTestResult(std::nullopt);
    // The script goes as it stands, untrimmed: the backend runs what is not a skill id.
    m_state.client().runCommand(m_script, this, [this](const HalvexClient::CommandOutcome& outcome) {
        setTestResult(outcome.text ? *outcome.text
                                   : outcome.refusal.value_or(QString::fromLatin1(noResponse)));
        setTesting(false);
    });
}

void ScriptEditor::save()
{
    if (!canSave() || m_script.trimmed().isEmpty())
        return;
    setSaving(true);
    setSaveError({});
    // Name and script go untrimmed: what the user typed is what is stored.
    const QString icon = iconToSave(m_emoji);
    if (m_existing) {
        m_state.client().updateCustomSkill({m_existing->id, m_name, icon, m_script}, this,
                                           [this](bool saved) { finishSave(saved); });
        return;
    }
    QSet<QString> known;
    for (const CustomSkillDef& skill : m_state.customSkills())
        known.insert(skill.id);
    m_state.client().createCustomSkill(m_name, icon, m_script, this,
                                       [this, wanted = CustomSkillDef{QString(), m_name, icon, m_script},
                                        known](const std::optional<CustomSkillDef>& created) {
                                           if (created)
                                               return finishSave(true);
                                           findCreated(wanted, known);
                                       });
}

// A create whose answer was lost or unreadable may still have been stored: a second Save would store
// the script twice. The backend's list tells, before Save is offered again.
void ScriptEditor::findCreated(const CustomSkillDef& wanted, const QSet<QString>& known)
{
    m_state.client().fetchCustomSkills(this, [this, wanted, known](const QList<CustomSkillDef>& skills) {
        finishSave(std::ranges::any_of(skills, [&](const CustomSkillDef& skill) {
            return !known.contains(skill.id) && skill.name == wanted.name && skill.emoji == wanted.emoji &&
                   skill.script == wanted.script;
        }));
    });
}

void ScriptEditor::finishSave(bool saved)
{
    m_state.loadCustomSkills();
    setSaving(false);
    if (saved)
        Q_EMIT dismissed();
    else
        setSaveError(QString::fromLatin1(notSaved));
}

void ScriptEditor::cancel()
{
    Q_EMIT dismissed();
}

void ScriptEditor::setSaving(bool saving)
{
    if (saving == m_isSaving)
        return;
    const bool couldSave = canSave();
    m_isSaving = saving;
    Q_EMIT isSavingChanged();
    if (canSave() != couldSave)
        Q_EMIT canSaveChanged();
}

void ScriptEditor::setTesting(bool testing)
{
    if (testing == m_isTesting)
        return;
    m_isTesting = testing;
    Q_EMIT isTestingChanged();
}

void ScriptEditor::setTestResult(const std::optional<QString>& result)
{
    if (result == m_testResult)
        return;
    m_testResult = result;
    Q_EMIT testResultChanged();
}

void ScriptEditor::setSaveError(const QString& error)
{
    if (error == m_saveError)
        return;
    m_saveError = error;
    Q_EMIT saveErrorChanged();
}
