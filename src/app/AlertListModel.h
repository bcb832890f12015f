#pragma once

#include "model/SecurityAlert.h"

#include <QAbstractListModel>

// A list of alerts as a model views bind to: rows are replaced as a whole when the list changes.
class AlertListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
public:
    enum Role { TypeRole = Qt::UserRole + 1, AppRole, PathRole, TimestampRole, DetailsRole, IdRole };

    using QAbstractListModel::QAbstractListModel;

    void setAlerts(const QList<SecurityAlert>& alerts);
    const QList<SecurityAlert>& alerts() const { return m_alerts; }
    int count() const { return int(m_alerts.size()); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

Q_SIGNALS:
    void countChanged();

private:
    QList<SecurityAlert> m_alerts;
};
