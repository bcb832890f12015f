#pragma once

#include "app/CmdMessage.h"

#include <QAbstractListModel>
#include <QList>

// The console's transcript as a list model that only grows: a new line is one inserted row, so a list
// view builds the delegate of that line alone, however long the lines before it are.
class TranscriptRows : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role { MessageIdRole = Qt::UserRole + 1, RoleNameRole, ContentRole, TimeRole };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void append(const CmdMessage& message);
    const QList<CmdMessage>& messages() const { return m_messages; }

    // The time shown beside a user line: the system's short time style.
    static QString shortTime(const QDateTime& ts);

private:
    QList<CmdMessage> m_messages;
};
