#include "app/TranscriptRows.h"

#include <QLocale>

int TranscriptRows::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_messages.size());
}

QVariant TranscriptRows::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_messages.size())
        return {};
    const CmdMessage& message = m_messages.at(index.row());
    switch (role) {
    case MessageIdRole:
        return message.id;
    case RoleNameRole:
        return CmdMessage::roleName(message.role);
    case ContentRole:
        return message.content;
    case TimeRole:
        return shortTime(message.ts);
    default:
        return {};
    }
}

QHash<int, QByteArray> TranscriptRows::roleNames() const
{
    return {
        {MessageIdRole, "messageId"}, {RoleNameRole, "role"}, {ContentRole, "content"}, {TimeRole, "time"}};
}

void TranscriptRows::append(const CmdMessage& message)
{
    const int row = int(m_messages.size());
    beginInsertRows({}, row, row);
    m_messages.append(message);
    endInsertRows();
}

QString TranscriptRows::shortTime(const QDateTime& ts)
{
    return QLocale::system().toString(ts.time(), QLocale::ShortFormat);
}
