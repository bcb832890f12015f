#pragma once

#include "app/KeyedRows.h"

#include <QList>
#include <QString>

// One row of the panel's activity list.
struct ActivityRow
{
    QString groupId;
    QString icon;
    QString sentence;
    QString desc;
    QString time;
    QString times;
    bool blocked = false;
    bool blocking = false;

    const QString& key() const { return groupId; }
    friend bool operator==(const ActivityRow&, const ActivityRow&) = default;
};

// The rows of the panel's activity list, told apart by groupId.
class ActivityRows : public KeyedRows<ActivityRow>
{
    Q_OBJECT
public:
    using Row = ActivityRow;
    enum Role {
        GroupIdRole = Qt::UserRole + 1,
        IconRole,
        SentenceRole,
        DescRole,
        TimeRole,
        TimesRole,
        BlockedRole,
        BlockingRole
    };

    using KeyedRows::KeyedRows;

    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
};
