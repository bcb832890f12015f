#include "app/ActivityRows.h"

int ActivityRows::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ActivityRows::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& row = m_rows[index.row()];
    switch (role) {
    case GroupIdRole:
        return row.groupId;
    case IconRole:
        return row.icon;
    case SentenceRole:
        return row.sentence;
    case DescRole:
        return row.desc;
    case TimeRole:
        return row.time;
    case TimesRole:
        return row.times;
    case BlockedRole:
        return row.blocked;
    case BlockingRole:
        return row.blocking;
    default:
        return {};
    }
}

QHash<int, QByteArray> ActivityRows::roleNames() const
{
    return {{GroupIdRole, "groupId"}, {IconRole, "icon"},        {SentenceRole, "sentence"},
            {DescRole, "desc"},       {TimeRole, "time"},        {TimesRole, "times"},
            {BlockedRole, "blocked"}, {BlockingRole, "blocking"}};
}

void ActivityRows::setRows(const QList<Row>& rows)
{
    for (qsizetype i = 0; i < rows.size(); ++i)
        placeAt(i, rows[i]);
    if (m_rows.size() > rows.size()) {
        beginRemoveRows({}, int(rows.size()), int(m_rows.size()) - 1);
        m_rows.resize(rows.size());
        endRemoveRows();
    }
}

// Rows before `position` are already in place; the one wanted there comes from further down, or is new.
void ActivityRows::placeAt(qsizetype position, const Row& row)
{
    qsizetype found = -1;
    for (qsizetype j = position; j < m_rows.size(); ++j) {
        if (m_rows[j].groupId == row.groupId) {
            found = j;
            break;
        }
    }
    if (found < 0) {
        beginInsertRows({}, int(position), int(position));
        m_rows.insert(position, row);
        endInsertRows();
        return;
    }
    if (found != position) {
        beginMoveRows({}, int(found), int(found), {}, int(position));
        m_rows.move(found, position);
        endMoveRows();
    }
    if (m_rows[position] != row) {
        m_rows[position] = row;
        const QModelIndex changed = index(int(position));
        Q_EMIT dataChanged(changed, changed);
    }
}
