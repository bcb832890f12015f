#include "app/AlertFeedRows.h"

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
