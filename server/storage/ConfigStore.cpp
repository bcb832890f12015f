#include "storage/ConfigStore.h"

#include <QSqlQuery>
#include <QVariant>

std::optional<QString> ConfigStore::value(const char* key) const
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT value FROM config WHERE key = ?"));
    query.addBindValue(QString::fromLatin1(key));
    if (!query.exec() || !query.next())
        return std::nullopt;
    return query.value(0).toString();
}

bool ConfigStore::setValue(const char* key, const QString& value)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("INSERT INTO config(key, value) VALUES (?, ?) "
                                 "ON CONFLICT(key) DO UPDATE SET value = excluded.value"));
    query.addBindValue(QString::fromLatin1(key));
    query.addBindValue(value);
    return query.exec();
}

bool ConfigStore::remove(const char* key)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("DELETE FROM config WHERE key = ?"));
    query.addBindValue(QString::fromLatin1(key));
    return query.exec();
}
