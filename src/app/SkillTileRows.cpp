#include "app/SkillTileRows.h"

#include "model/QuickSkill.h"
#include "model/SkillCatalogue.h"

QVariant SkillTileRows::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const SkillTile& tile = m_rows.at(index.row());
    switch (role) {
    case SkillIdRole:
        return tile.skillId;
    case EmojiRole:
        return tile.emoji;
    case NameRole:
        return tile.name;
    case IsCustomRole:
        return tile.kind == SkillTile::Custom;
    case IsNewScriptRole:
        return tile.kind == SkillTile::NewScript;
    case IsAutomatedRole:
        return tile.isAutomated;
    case CanAutomateRole:
        return tile.canAutomate;
    default:
        return {};
    }
}

QHash<int, QByteArray> SkillTileRows::roleNames() const
{
    return {{SkillIdRole, "skillId"},
            {EmojiRole, "emoji"},
            {NameRole, "name"},
            {IsCustomRole, "isCustom"},
            {IsNewScriptRole, "isNewScript"},
            {IsAutomatedRole, "isAutomated"},
            {CanAutomateRole, "canAutomate"}};
}

QList<SkillTile> SkillTileRows::tilesFor(SkillCategory category, const QList<CustomSkillDef>& customSkills,
                                         const QSet<QString>& automatedIds)
{
    QList<SkillTile> tiles;
    if (category != SkillCategory::custom) {
        for (const QuickSkill& skill : category.skills())
            tiles.append({skill.id, skill.id, skill.emoji, skill.name, SkillTile::Skill,
                          automatedIds.contains(skill.id), SkillCatalogue::isAutomatable(skill.id)});
        return tiles;
    }
    // Script skills are always offered for automation; their keys cannot meet the "New script" tile's.
    for (const CustomSkillDef& def : customSkills)
        tiles.append({QStringLiteral("custom:") + def.id, def.id, def.emoji, def.name, SkillTile::Custom,
                      automatedIds.contains(def.id), true});
    tiles.append({QStringLiteral("new"), QString(), QString(), QStringLiteral("New script"),
                  SkillTile::NewScript, false, false});
    return tiles;
}
