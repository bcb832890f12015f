#pragma once

#include "backend/BackendRecords.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

class CustomSkillStore
{
public:
    explicit CustomSkillStore(QSqlDatabase db) : m_db(std::move(db)) {}

    // In the order they were created.
    // Nothing when the table cannot be read.
    std::optional<QList<CustomSkillDef>> list() const;
    QList<CustomSkillDef> all() const { return list().value_or(QList<CustomSkillDef>()); }
    std::optional<CustomSkillDef> find(const QString& id) const;
    // The stored skill with its new id, or nothing when the write failed.
    std::optional<CustomSkillDef> create(const QString& name, const QString& emoji, const QString& script);
    // False when there is no such skill or the write failed.
    bool update(const CustomSkillDef& skill);
    bool remove(const QString& id);

    static bool looksLikeCustomId(const QString& id);

private:
    std::optional<QList<CustomSkillDef>> select(const QString& where, const QVariantList& values) const;

    QSqlDatabase m_db;
};
