#pragma once

#include "skills/Skill.h"

#include <QList>
#include <QStringList>

// Every built-in skill halvexd runs, by id: the ids of the skill catalogue, and a few backend commands
// that are not offered as tiles.
namespace SkillRegistry {

const Skill* find(const QString& id);
QStringList ids();

} // namespace SkillRegistry
