#pragma once

#include "backend/BackendRecords.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

// One scheduled skill, as the client sees it (the schedule is the run-interval label, for example
// "Every 2h"), with what the scheduler keeps beside it. There is at most one per skill id.
struct StoredAutomation : Automation
{
    int intervalMinutes = 0;
    std::optional<qint64> lastRunMs;
    std::optional<QString> lastResult;

    QJsonObject toJson() const;
};

class AutomationStore
{
public:
    explicit AutomationStore(QSqlDatabase db) : m_db(std::move(db)) {}

    // Nothing when the table cannot be read.
    std::optional<QList<StoredAutomation>> list() const;
    QList<StoredAutomation> all() const { return list().value_or(QList<StoredAutomation>()); }
    std::optional<StoredAutomation> find(const QString& skillId) const;
    // Creates the automation of `skillId`, or enables the existing one with the given name and schedule.
    std::optional<StoredAutomation> enable(const QString& skillId, const QString& name,
                                           const QString& schedule, int intervalMinutes);
    // False when the skill has no automation or the write failed.
    bool disable(const QString& skillId);
    bool rename(const QString& skillId, const QString& name);
    bool remove(const QString& skillId);
    bool recordRun(const QString& skillId, qint64 timeMs, const QString& result);

    static QString automationIdFor(const QString& skillId);

private:
    std::optional<QList<StoredAutomation>> select(const QString& where, const QVariantList& values) const;

    QSqlDatabase m_db;
};
