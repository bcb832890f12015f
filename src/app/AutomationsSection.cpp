#include "app/AutomationsSection.h"

#include "app/AppState.h"
#include "model/L10n.h"
#include "model/RunInterval.h"
#include "model/SkillCatalogue.h"

#include <QVariantMap>

#include <algorithm>
#include <utility>

namespace {

QVariantMap skillEntry(const QuickSkill& skill, bool automated)
{
    return {{QStringLiteral("id"), skill.id},
            {QStringLiteral("emoji"), skill.emoji},
            {QStringLiteral("name"), skill.name},
            {QStringLiteral("isAutomated"), automated}};
}

QColor colourOf(const RgbaColor& rgba)
{
    return QColor::fromRgbF(rgba.red, rgba.green, rgba.blue, rgba.alpha);
}

} // namespace

AutomationsSection::AutomationsSection(AppState& state, QObject* parent)
    : AutomationsSection(
          state, [] { return QTime::currentTime(); }, parent)
{
}

AutomationsSection::AutomationsSection(AppState& state, Clock clock, QObject* parent)
    : QObject(parent), m_state(state), m_clock(std::move(clock))
{
    connect(&state, &AppState::selectedProfileChanged, this, &AutomationsSection::profileChanged);
    connect(&state, &AppState::isApplyingProfileChanged, this, &AutomationsSection::profileChanged);
    connect(&state, &AppState::automatedSkillIdsChanged, this, [this] {
        Q_EMIT automatedChanged();
        if (m_selectedSkill)
            Q_EMIT selectedSkillChanged();
    });
}

QString AutomationsSection::activeProfile() const
{
    return m_state.selectedProfileText();
}

bool AutomationsSection::isApplyingProfile() const
{
    return m_state.isApplyingProfile();
}

bool AutomationsSection::hasActiveTasks() const
{
    return !m_state.automatedSkillIds().isEmpty();
}

QString AutomationsSection::activeTasksText() const
{
    return L10n::activeTasksCount(int(m_state.automatedSkillIds().size()));
}

bool AutomationsSection::isAutomated(const QString& skillId) const
{
    return m_state.automatedSkillIds().contains(skillId);
}

QList<QuickSkill> AutomationsSection::activeSkills() const
{
    QList<QuickSkill> active = SkillCatalogue::allAutomatableSkills();
    active.removeIf([this](const QuickSkill& skill) { return !isAutomated(skill.id); });
    return active;
}

QVariantList AutomationsSection::activeChips() const
{
    QVariantList chips;
    for (const QuickSkill& skill : activeSkills())
        chips << skillEntry(skill, true);
    return chips;
}

QVariantList AutomationsSection::skills() const
{
    QVariantList entries;
    for (const QuickSkill& skill : SkillCatalogue::allAutomatableSkills())
        entries << skillEntry(skill, isAutomated(skill.id));
    return entries;
}

QVariantMap AutomationsSection::selectedSkill() const
{
    if (!m_selectedSkill)
        return {};
    const QuickSkill& skill = *m_selectedSkill;
    const bool automated = isAutomated(skill.id);
    return {{QStringLiteral("id"), skill.id},
            {QStringLiteral("emoji"), skill.emoji},
            {QStringLiteral("name"), skill.name},
            {QStringLiteral("category"), skill.category.rawValue()},
            {QStringLiteral("categoryColor"), colourOf(skill.category.accent())},
            {QStringLiteral("isAutomated"), automated},
            {QStringLiteral("badge"), automated ? QStringLiteral("AUTO") : QStringLiteral("OFF")},
            {QStringLiteral("scheduleDesc"), scheduleLabel(skill.id)},
            {QStringLiteral("nextRunText"), nextRunText(skill.id, m_clock())},
            {QStringLiteral("actionText"), L10n::skillActionDesc(skill.name)},
            {QStringLiteral("toggleText"),
             automated ? QStringLiteral("Disable Auto") : QStringLiteral("Enable Auto")},
            {QStringLiteral("toggleIcon"),
             automated ? QStringLiteral("stop.circle.fill") : QStringLiteral("play.circle.fill")}};
}

void AutomationsSection::chooseProfile(const QString& profile)
{
    if (m_pendingProfile == profile)
        return;
    m_pendingProfile = profile;
    Q_EMIT pendingProfileChanged();
}

void AutomationsSection::confirmProfile()
{
    if (!m_pendingProfile)
        return;
    const QString profile = *std::exchange(m_pendingProfile, std::nullopt);
    Q_EMIT pendingProfileChanged();
    m_state.applyProfile(profile);
}

void AutomationsSection::cancelProfile()
{
    if (!m_pendingProfile)
        return;
    m_pendingProfile.reset();
    Q_EMIT pendingProfileChanged();
}

void AutomationsSection::toggleCustomizeGrid()
{
    m_showCustomizeGrid = !m_showCustomizeGrid;
    Q_EMIT showCustomizeGridChanged();
}

void AutomationsSection::selectSkill(const QString& skillId)
{
    const QList<QuickSkill> skills = SkillCatalogue::allAutomatableSkills();
    const auto found = std::ranges::find(skills, skillId, &QuickSkill::id);
    if (found == skills.end())
        return;
    m_selectedSkill = *found;
    Q_EMIT selectedSkillChanged();
}

void AutomationsSection::closeSkill()
{
    if (!m_selectedSkill)
        return;
    m_selectedSkill.reset();
    Q_EMIT selectedSkillChanged();
}

void AutomationsSection::toggleSelectedSkill()
{
    if (!m_selectedSkill)
        return;
    const QString id = m_selectedSkill->id;
    closeSkill();
    m_state.toggleAutomation(id);
}
