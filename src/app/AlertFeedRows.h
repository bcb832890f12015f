#pragma once

#include "app/KeyedRows.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QVariantList>

// One row of the dashboard's alert feed.
struct AlertFeedRow
{
    QString alertId;
    QString app;
    QString friendlyName;
    QString friendlyDesc;
    QString headline;
    bool isSystem = false;
    QColor riskColor;
    QString badgeSymbol;
    QString riskLabel;
    QVariantList chips; // each {icon, label, color}
    QString time;
    QString countText;
    QString details;
    QString explanation;
    bool blocked = false;

    const QString& key() const { return alertId; }
    friend bool operator==(const AlertFeedRow&, const AlertFeedRow&) = default;
};

// The rows of the dashboard's alert feed, one per application, told apart by alertId.
class AlertFeedRows : public KeyedRows<AlertFeedRow>
{
    Q_OBJECT
public:
    using Row = AlertFeedRow;
    enum Role {
        AlertIdRole = Qt::UserRole + 1,
        AppRole,
        FriendlyNameRole,
        FriendlyDescRole,
        HeadlineRole,
        IsSystemRole,
        RiskColorRole,
        BadgeSymbolRole,
        RiskLabelRole,
        ChipsRole,
        TimeRole,
        CountTextRole,
        DetailsRole,
        ExplanationRole,
        BlockedRole
    };

    using KeyedRows::KeyedRows;

    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
};
