#pragma once

#include "model/QuickSkill.h"

#include <QList>
#include <QStringView>

#include <span>

// The built-in skills the console offers and the automations may schedule. Per-category lists come
// from SkillCategory::skills(); script skills written by the user come from the backend.
namespace SkillCatalogue {

// All 64 entries: categories in declaration order, catalogue order within each.
QList<QuickSkill> allSkills();

// Ids that may be run by hand but never scheduled.
std::span<const QStringView> nonAutomatableSkills();
bool isAutomatable(QStringView skillId);

// Every skill that may be scheduled, once per id: the first entry in catalogue order wins.
QList<QuickSkill> allAutomatableSkills();

} // namespace SkillCatalogue
