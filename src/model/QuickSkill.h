#pragma once

#include "model/SkillCategory.h"

#include <QString>

// One built-in skill as a tile of one category. The same id may appear under several categories, each
// time with its own category and possibly its own name and emoji.
struct QuickSkill
{
    QString id; // the skill id the backend runs
    QString emoji;
    QString name;
    SkillCategory category;

    friend bool operator==(const QuickSkill&, const QuickSkill&) = default;
};
