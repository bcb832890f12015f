#include "app/AlertListModel.h"

void AlertListModel::setAlerts(const QList<SecurityAlert>& alerts)
{
    if (alerts == m_alerts)
        return;
    const bool countChanges = alerts.size() != m_alerts.size();
    beginResetModel();
    m_alerts = alerts;
    endResetModel();
    if (countChanges)
        Q_EMIT countChanged();
}

int AlertListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_alerts.size());
}

QVariant AlertListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_alerts.size())
        return {};
    const SecurityAlert& alert = m_alerts.at(index.row());
    switch (role) {
    case TypeRole:
        return alert.type;
    case AppRole:
        return alert.app;
    case PathRole:
        return alert.path;
    case TimestampRole:
        return alert.timestamp;
    case DetailsRole:
        return alert.details ? QVariant(*alert.details) : QVariant();
    case IdRole:
        return alert.id();
    default:
        return {};
    }
}

QHash<int, QByteArray> AlertListModel::roleNames() const
{
    return {{TypeRole, "type"},           {AppRole, "app"},         {PathRole, "path"},
            {TimestampRole, "timestamp"}, {DetailsRole, "details"}, {IdRole, "alertId"}};
}
