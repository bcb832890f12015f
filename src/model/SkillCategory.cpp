#include "model/SkillCategory.h"

#include <algorithm>
#include <array>

namespace {

struct CategoryLook
{
    QStringView label;
    QStringView sfIcon;
    float red, green, blue;
};

// Indexed by SkillCategory::Case.
constexpr std::array<CategoryLook, 11> looks{{
    {u"Quick Menu", u"bolt.fill", 0.25f, 0.6f, 1.0f},
    {u"Security", u"lock.shield.fill", 0.2f, 0.85f, 0.55f},
    {u"Cleanup", u"sparkles", 1.0f, 0.6f, 0.2f},
    {u"System", u"cpu", 0.7f, 0.4f, 1.0f},
    {u"Monitor", u"eye.fill", 0.2f, 0.8f, 1.0f},
    {u"Threat", u"exclamationmark.triangle.fill", 1.0f, 0.3f, 0.3f},
    {u"Audit", u"doc.badge.gearshape.fill", 0.4f, 0.65f, 1.0f},
    {u"Apps", u"square.grid.2x2.fill", 1.0f, 0.4f, 0.75f},
    {u"Screen", u"display", 0.2f, 0.85f, 0.75f},
    {u"Logs", u"terminal.fill", 0.95f, 0.75f, 0.25f},
    {u"Custom", u"scroll.fill", 0.8f, 0.55f, 1.0f},
}};

constexpr std::array<SkillCategory, 11> cases{
    SkillCategory::quick,   SkillCategory::security, SkillCategory::cleanup, SkillCategory::system,
    SkillCategory::monitor, SkillCategory::threat,   SkillCategory::audit,   SkillCategory::apps,
    SkillCategory::screen,  SkillCategory::logs,     SkillCategory::custom,
};

const CategoryLook& lookOf(SkillCategory category)
{
    return looks[category.value()];
}

} // namespace

std::span<const SkillCategory> SkillCategory::allCases()
{
    return cases;
}

std::optional<SkillCategory> SkillCategory::fromRawValue(QStringView label)
{
    const auto found = std::ranges::find(looks, label, &CategoryLook::label);
    if (found == looks.end())
        return std::nullopt;
    return cases[size_t(found - looks.begin())];
}

QString SkillCategory::rawValue() const
{
    return lookOf(*this).label.toString();
}

QString SkillCategory::sfIcon() const
{
    return lookOf(*this).sfIcon.toString();
}

RgbaColor SkillCategory::accent() const
{
    const CategoryLook& look = lookOf(*this);
    return {look.red, look.green, look.blue};
}
