#include "app/TranscriptRows.h"

#include <QLocale>

int TranscriptRows::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_pieces.size());
}

QVariant TranscriptRows::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_pieces.size())
        return {};
    const Piece& piece = m_pieces.at(index.row());
    const CmdMessage& message = m_messages.at(piece.message);
    switch (role) {
    case MessageIdRole:
        return message.id;
    case MessageIndexRole:
        return piece.message;
    case RoleNameRole:
        return CmdMessage::roleName(message.role);
    case ContentRole:
        return piece.text;
    case TimeRole:
        return shortTime(message.ts);
    case IsFirstPieceRole:
        return piece.first;
    case IsLastPieceRole:
        return piece.last;
    default:
        return {};
    }
}

QHash<int, QByteArray> TranscriptRows::roleNames() const
{
    return {{MessageIdRole, "messageId"},
            {MessageIndexRole, "messageIndex"},
            {RoleNameRole, "role"},
            {ContentRole, "content"},
            {TimeRole, "time"},
            {IsFirstPieceRole, "isFirstPiece"},
            {IsLastPieceRole, "isLastPiece"}};
}

void TranscriptRows::append(const CmdMessage& message)
{
    const QStringList pieces = piecesOf(message.content);
    const int first = int(m_pieces.size());
    beginInsertRows({}, first, first + int(pieces.size()) - 1);
    m_messages.append(message);
    const int index = int(m_messages.size()) - 1;
    for (qsizetype i = 0; i < pieces.size(); ++i)
        m_pieces.append({index, pieces[i], i == 0, i == pieces.size() - 1});
    endInsertRows();
}

QStringList TranscriptRows::piecesOf(const QString& text)
{
    QStringList pieces;
    qsizetype start = 0;
    do {
        // Up to the piecesLines-th line feed, which the piece drops, or piecesChars characters.
        qsizetype end = start;
        int lineFeeds = 0;
        while (end < text.size() && end - start < piecesChars) {
            if (text.at(end) == QLatin1Char('\n') && ++lineFeeds == piecesLines)
                break;
            ++end;
        }
        pieces.append(text.mid(start, end - start));
        start = lineFeeds == piecesLines ? end + 1 : end;
    } while (start < text.size());
    return pieces;
}

QString TranscriptRows::shortTime(const QDateTime& ts)
{
    return QLocale::system().toString(ts.time(), QLocale::ShortFormat);
}
