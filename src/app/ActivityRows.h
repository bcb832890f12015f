#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>

// The rows of the panel's activity list. A new list is applied as inserted, moved, removed and
// changed rows, so the list view keeps the delegates of the rows that stay: a new access redraws one
// row, not all of them.
class ActivityRows : public QAbstractListModel
{
    Q_OBJECT
public:
    struct Row
    {
        QString groupId;
        QString icon;
        QString sentence;
        QString desc;
        QString time;
        QString times;
        bool blocked = false;
        bool blocking = false;

        friend bool operator==(const Row&, const Row&) = default;
    };
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

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<Row>& rows() const { return m_rows; }
    // Rows are told apart by groupId, which is unique within a list.
    void setRows(const QList<Row>& rows);

private:
    void placeAt(qsizetype position, const Row& row);

    QList<Row> m_rows;
};
