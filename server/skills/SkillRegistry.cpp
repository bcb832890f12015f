#include "skills/SkillRegistry.h"

#include "skills/SkillGroups.h"

#include <QHash>

namespace SkillRegistry {
namespace {

const QHash<QString, Skill>& table()
{
    static const QHash<QString, Skill> skills = [] {
        QHash<QString, Skill> byId;
        for (const QList<Skill>& group :
             {SkillGroups::privacy(), SkillGroups::sharing(), SkillGroups::network(), SkillGroups::system(),
              SkillGroups::cleanup(), SkillGroups::threats(), SkillGroups::audit(), SkillGroups::logs(),
              SkillGroups::backendCommands()}) {
            for (const Skill& skill : group)
                byId.insert(skill.id, skill);
        }
        return byId;
    }();
    return skills;
}

} // namespace

const Skill* find(const QString& id)
{
    const auto it = table().constFind(id);
    return it == table().cend() ? nullptr : &*it;
}

QStringList ids()
{
    QStringList all = table().keys();
    all.sort();
    return all;
}

} // namespace SkillRegistry
