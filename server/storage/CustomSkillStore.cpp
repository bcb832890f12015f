#include "storage/CustomSkillStore.h"

#include "storage/Database.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const QString idPrefix = QStringLiteral("custom-");

// The prefix keeps script ids apart from every built-in skill id.
QString newId()
{
    return idPrefix + QString::number(QRandomGenerator::global()->generate64() & 0xFFFFFFFFFFFFULL, 16)
                          .rightJustified(12, QLatin1Char('0'));
}

} // namespace

bool CustomSkillStore::looksLikeCustomId(const QString& id)
{
    return id.startsWith(idPrefix);
}

std::optional<QList<CustomSkillDef>> CustomSkillStore::select(const QString& where,
                                                              const QVariantList& values) const
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id, name, emoji, script FROM custom_skills ") + where +
                  QStringLiteral(" ORDER BY created, rowid"));
    for (const QVariant& value : values)
        query.addBindValue(value);
    QList<CustomSkillDef> skills;
    if (query.exec()) {
        while (query.next())
            skills.append({query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                           query.value(3).toString()});
    }
    if (query.lastError().isValid()) {
        Database::reportDamage(m_db, query.lastError());
        return std::nullopt;
    }
    return skills;
}

std::optional<QList<CustomSkillDef>> CustomSkillStore::list() const
{
    return select({}, {});
}

std::optional<CustomSkillDef> CustomSkillStore::find(const QString& id) const
{
    const std::optional<QList<CustomSkillDef>> found = select(QStringLiteral("WHERE id = ?"), {id});
    return !found || found->isEmpty() ? std::nullopt : std::optional(found->first());
}

std::optional<CustomSkillDef> CustomSkillStore::create(const QString& name, const QString& emoji,
                                                       const QString& script)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        const CustomSkillDef skill{newId(), name, emoji, script};
        QSqlQuery query(m_db);
        query.prepare(QStringLiteral("INSERT OR IGNORE INTO custom_skills(id, name, emoji, script, created) "
                                     "VALUES (?, ?, ?, ?, ?)"));
        query.addBindValue(skill.id);
        query.addBindValue(skill.name);
        query.addBindValue(skill.emoji);
        query.addBindValue(skill.script);
        query.addBindValue(QDateTime::currentMSecsSinceEpoch());
        if (!query.exec()) {
            Database::reportDamage(m_db, query.lastError());
            return std::nullopt;
        }
        if (query.numRowsAffected() == 1)
            return skill;
    }
    return std::nullopt;
}

bool CustomSkillStore::update(const CustomSkillDef& skill)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("UPDATE custom_skills SET name = ?, emoji = ?, script = ? WHERE id = ?"));
    query.addBindValue(skill.name);
    query.addBindValue(skill.emoji);
    query.addBindValue(skill.script);
    query.addBindValue(skill.id);
    return query.exec() && query.numRowsAffected() > 0;
}

bool CustomSkillStore::remove(const QString& id)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("DELETE FROM custom_skills WHERE id = ?"));
    query.addBindValue(id);
    return query.exec() && query.numRowsAffected() > 0;
}
