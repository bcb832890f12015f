#include "storage/AutomationStore.h"

#include "model/Timestamp.h"
#include "storage/Database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

QJsonObject StoredAutomation::toJson() const
{
    QJsonObject object = Automation::toJson();
    if (lastRunMs)
        object.insert(QStringLiteral("lastRun"),
                      Timestamp::format(QDateTime::fromMSecsSinceEpoch(*lastRunMs, Qt::UTC)));
    if (lastResult)
        object.insert(QStringLiteral("lastResult"), *lastResult);
    return object;
}

QString AutomationStore::automationIdFor(const QString& skillId)
{
    return QStringLiteral("auto-") + skillId;
}

std::optional<QList<StoredAutomation>> AutomationStore::select(const QString& where,
                                                               const QVariantList& values) const
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT id, skill_id, name, schedule, interval_minutes, enabled, last_run_ms, "
                       "last_result FROM automations ") +
        where + QStringLiteral(" ORDER BY rowid"));
    for (const QVariant& value : values)
        query.addBindValue(value);
    QList<StoredAutomation> automations;
    if (!query.exec()) {
        Database::reportDamage(m_db, query.lastError());
        return std::nullopt;
    }
    while (query.next()) {
        StoredAutomation automation;
        automation.id = query.value(0).toString();
        automation.skillId = query.value(1).toString();
        automation.name = query.value(2).toString();
        automation.schedule = query.value(3).toString();
        automation.intervalMinutes = query.value(4).toInt();
        automation.enabled = query.value(5).toBool();
        if (!query.value(6).isNull())
            automation.lastRunMs = query.value(6).toLongLong();
        if (!query.value(7).isNull())
            automation.lastResult = query.value(7).toString();
        automations.append(automation);
    }
    if (query.lastError().isValid()) {
        Database::reportDamage(m_db, query.lastError());
        return std::nullopt;
    }
    return automations;
}

std::optional<QList<StoredAutomation>> AutomationStore::list() const
{
    return select({}, {});
}

std::optional<StoredAutomation> AutomationStore::find(const QString& skillId) const
{
    const std::optional<QList<StoredAutomation>> found =
        select(QStringLiteral("WHERE skill_id = ?"), {skillId});
    return !found || found->isEmpty() ? std::nullopt : std::optional(found->first());
}

std::optional<StoredAutomation> AutomationStore::enable(const QString& skillId, const QString& name,
                                                        const QString& schedule, int intervalMinutes)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral(
        "INSERT INTO automations(id, skill_id, name, schedule, interval_minutes, enabled) VALUES (?, ?, ?, "
        "?, ?, 1) "
        "ON CONFLICT(skill_id) DO UPDATE SET name = excluded.name, schedule = excluded.schedule, "
        "interval_minutes = excluded.interval_minutes, enabled = 1"));
    query.addBindValue(automationIdFor(skillId));
    query.addBindValue(skillId);
    query.addBindValue(name);
    query.addBindValue(schedule);
    query.addBindValue(intervalMinutes);
    if (!query.exec())
        return std::nullopt;
    return find(skillId);
}

bool AutomationStore::disable(const QString& skillId)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("UPDATE automations SET enabled = 0 WHERE skill_id = ?"));
    query.addBindValue(skillId);
    return query.exec() && query.numRowsAffected() > 0;
}

bool AutomationStore::rename(const QString& skillId, const QString& name)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("UPDATE automations SET name = ? WHERE skill_id = ?"));
    query.addBindValue(name);
    query.addBindValue(skillId);
    return query.exec();
}

bool AutomationStore::remove(const QString& skillId)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("DELETE FROM automations WHERE skill_id = ?"));
    query.addBindValue(skillId);
    return query.exec();
}

bool AutomationStore::recordRun(const QString& skillId, qint64 timeMs, const QString& result)
{
    QSqlQuery query(m_db);
    query.prepare(
        QStringLiteral("UPDATE automations SET last_run_ms = ?, last_result = ? WHERE skill_id = ?"));
    query.addBindValue(timeMs);
    query.addBindValue(result);
    query.addBindValue(skillId);
    return query.exec();
}
