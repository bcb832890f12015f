#pragma once

#include "skills/Skill.h"

#include <QList>

// The built-in skills, by theme; SkillRegistry gathers them.
namespace SkillGroups {

QList<Skill> privacy();
QList<Skill> sharing();
QList<Skill> network();
QList<Skill> system();
QList<Skill> cleanup();
QList<Skill> threats();
QList<Skill> audit();
QList<Skill> logs();
QList<Skill> backendCommands();

} // namespace SkillGroups
