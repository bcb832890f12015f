#pragma once

#include <QString>
#include <QStringList>

// Words a user may type for a built-in skill, beyond its id and its name ("ram" for clean-ram and
// memory-usage alike; the message's other words decide between them).
namespace ChatKeywords {

QStringList forSkill(const QString& skillId);

} // namespace ChatKeywords
