#include "app/ActivityRows.h"

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
