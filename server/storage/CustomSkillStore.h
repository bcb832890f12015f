#pragma once

#include <QJsonObject>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

// A user-written script skill, in the client's record shape.
struct CustomSkill
{
    QString id;
    QString name;
    QString emoji;
    QString script;

    QJsonObject toJson() const;
};

class CustomSkillStore
{
public:
    explicit CustomSkillStore(QSqlDatabase db) : m_db(std::move(db)) {}

    // In the order they were created.
    QList<CustomSkill> all() const;
    std::optional<CustomSkill> find(const QString& id) const;
    // The stored skill with its new id, or nothing when the write failed.
    std::optional<CustomSkill> create(const QString& name, const QString& emoji, const QString& script);
    // False when there is no such skill or the write failed.
    bool update(const CustomSkill& skill);
    bool remove(const QString& id);

    static bool looksLikeCustomId(const QString& id);

private:
    QList<CustomSkill> select(const QString& where, const QVariantList& values) const;

    QSqlDatabase m_db;
};
