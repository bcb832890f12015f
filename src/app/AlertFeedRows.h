#pragma once

#include <QAbstractListModel>
#include <QColor>
#include <QList>
#include <QString>
#include <QVariantList>

// The rows of the dashboard's alert feed, one per application. A new list is applied as inserted,
// moved, removed and changed rows, so a new alert redraws the rows it touches, not the whole feed.
class AlertFeedRows : public QAbstractListModel
{
    Q_OBJECT
public:
    struct Row
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

        friend bool operator==(const Row&, const Row&) = default;
    };
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

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<Row>& rows() const { return m_rows; }
    // Rows are told apart by alertId, which is unique within a list.
    void setRows(const QList<Row>& rows);

private:
    void placeAt(qsizetype position, const Row& row);

    QList<Row> m_rows;
};
