#include "automation/AutomationService.h"

#include "model/RunInterval.h"
#include "model/SkillCatalogue.h"
#include "storage/CustomSkillStore.h"

AutomationService::AutomationService(AutomationStore& store, CustomSkillStore& customSkills, QObject* parent)
    : QObject(parent), m_store(store), m_customSkills(customSkills)
{
}

std::optional<QString> AutomationService::skillName(const QString& skillId) const
{
    for (const QuickSkill& skill : SkillCatalogue::allSkills()) {
        if (skill.id == skillId)
            return skill.name;
    }
    if (const std::optional<CustomSkillDef> custom = m_customSkills.find(skillId))
        return custom->name;
    return std::nullopt;
}

AutomationService::EnableResult AutomationService::enable(const QString& skillId)
{
    if (!SkillCatalogue::isAutomatable(skillId))
        return {std::nullopt, 400,
                QStringLiteral("%1 runs by hand only and cannot be automated").arg(skillId)};
    const std::optional<QString> name = skillName(skillId);
    if (!name)
        return {std::nullopt, 400, QStringLiteral("Unknown skill: %1").arg(skillId)};
    const RunInterval interval = runInterval(skillId);
    const std::optional<StoredAutomation> stored =
        m_store.enable(skillId, *name, interval.label, interval.minutes);
    if (!stored)
        return {std::nullopt, 500, QStringLiteral("The automation was not stored")};
    Q_EMIT changed();
    return {stored, 0, {}};
}

bool AutomationService::disable(const QString& skillId)
{
    const std::optional<StoredAutomation> existing = m_store.find(skillId);
    if (!existing || !existing->enabled)
        return true;
    if (!m_store.disable(skillId))
        return false;
    Q_EMIT changed();
    return true;
}

void AutomationService::refreshName(const QString& skillId)
{
    const std::optional<StoredAutomation> existing = m_store.find(skillId);
    const std::optional<QString> name = skillName(skillId);
    if (existing && name && existing->name != *name)
        m_store.rename(skillId, *name);
}

void AutomationService::forget(const QString& skillId)
{
    if (m_store.find(skillId) && m_store.remove(skillId))
        Q_EMIT changed();
}
