#include "app/AlertFeedRows.h"

int AlertFeedRows::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant AlertFeedRows::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& row = m_rows[index.row()];
    switch (role) {
    case AlertIdRole:
        return row.alertId;
    case AppRole:
        return row.app;
    case FriendlyNameRole:
        return row.friendlyName;
    case FriendlyDescRole:
        return row.friendlyDesc;
    case HeadlineRole:
        return row.headline;
    case IsSystemRole:
        return row.isSystem;
    case RiskColorRole:
        return row.riskColor;
    case BadgeSymbolRole:
        return row.badgeSymbol;
    case RiskLabelRole:
        return row.riskLabel;
    case ChipsRole:
        return row.chips;
    case TimeRole:
        return row.time;
    case CountTextRole:
        return row.countText;
    case DetailsRole:
        return row.details;
    case ExplanationRole:
        return row.explanation;
    case BlockedRole:
        return row.blocked;
    default:
        return {};
    }
}

QHash<int, QByteArray> AlertFeedRows::roleNames() const
{
    return {{AlertIdRole, "alertId"},
            {AppRole, "app"},
            {FriendlyNameRole, "friendlyName"},
            {FriendlyDescRole, "friendlyDesc"},
            {HeadlineRole, "headline"},
            {IsSystemRole, "isSystem"},
            {RiskColorRole, "riskColor"},
            {BadgeSymbolRole, "badgeSymbol"},
            {RiskLabelRole, "riskLabel"},
            {ChipsRole, "chips"},
            {TimeRole, "time"},
            {CountTextRole, "countText"},
            {DetailsRole, "details"},
            {ExplanationRole, "explanation"},
            {BlockedRole, "blocked"}};
}

void AlertFeedRows::setRows(const QList<Row>& rows)
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
void AlertFeedRows::placeAt(qsizetype position, const Row& row)
{
    qsizetype found = -1;
    for (qsizetype j = position; j < m_rows.size(); ++j) {
        if (m_rows[j].alertId == row.alertId) {
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
