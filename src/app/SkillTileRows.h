#pragma once

#include "app/KeyedRows.h"
#include "backend/BackendRecords.h"
#include "model/SkillCategory.h"

#include <QSet>
#include <QString>

// One tile of the console's grid: a built-in skill, a script skill of the user, or the "New script" tile.
struct SkillTile
{
    enum Kind { Skill, Custom, NewScript };

    QString tileKey; // unique within one grid
    QString skillId;
    QString emoji;
    QString name;
    int kind = Skill;
    bool isAutomated = false;
    bool canAutomate = false; // the tile offers "Enable Auto" / "Disable Auto"

    const QString& key() const { return tileKey; }
    friend bool operator==(const SkillTile&, const SkillTile&) = default;
};

// The tiles of the selected category, in catalogue order; for the custom category the user's script
// skills in list order, then "New script".
class SkillTileRows : public KeyedRows<SkillTile>
{
    Q_OBJECT
public:
    using Row = SkillTile;
    enum Role {
        SkillIdRole = Qt::UserRole + 1,
        EmojiRole,
        NameRole,
        IsCustomRole,
        IsNewScriptRole,
        IsAutomatedRole,
        CanAutomateRole
    };

    using KeyedRows::KeyedRows;

    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    static QList<SkillTile> tilesFor(SkillCategory category, const QList<CustomSkillDef>& customSkills,
                                     const QSet<QString>& automatedIds);
};
