#pragma once

#include "model/RgbaColor.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>
#include <span>

struct QuickSkill;

// The groups of the skill console. A category's raw value is its display label, which is also its id.
class SkillCategory
{
public:
    // Declaration order is the order of the category bar and of every traversal over all categories.
    enum Case : quint8 {
        quick,
        security,
        cleanup,
        system,
        monitor,
        threat,
        audit,
        apps,
        screen,
        logs,
        custom
    };

    constexpr SkillCategory() = default; // the first case; lets records holding a category sit in containers
    constexpr SkillCategory(Case value) : m_case(value) {}

    static std::span<const SkillCategory> allCases();
    // Accepts exactly the eleven labels, case included.
    static std::optional<SkillCategory> fromRawValue(QStringView label);

    constexpr Case value() const { return m_case; }
    QString rawValue() const;
    QString id() const { return rawValue(); }
    QString sfIcon() const;
    RgbaColor accent() const;
    // The category's built-in skills in catalogue order; none for `custom`.
    QList<QuickSkill> skills() const;

    friend constexpr bool operator==(SkillCategory, SkillCategory) = default;

private:
    Case m_case = quick;
};
