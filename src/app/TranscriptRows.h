#pragma once

#include "app/CmdMessage.h"

#include <QAbstractListModel>
#include <QList>

// The console's transcript as a list model that only grows. A long reply is cut into pieces of a few
// dozen lines, one row each, so a list view builds and lays out only the pieces in sight: appending a
// 64 KB result costs what its last screenful costs.
class TranscriptRows : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role {
        MessageIdRole = Qt::UserRole + 1,
        MessageIndexRole,
        RoleNameRole,
        ContentRole, // the piece's text
        TimeRole,
        IsFirstPieceRole,
        IsLastPieceRole
    };

    static constexpr int piecesLines = 40;
    static constexpr int piecesChars = 4096;

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void append(const CmdMessage& message);
    const QList<CmdMessage>& messages() const { return m_messages; }

    // The pieces a text is shown in, in order: at most piecesLines lines and piecesChars characters
    // each; the line feed between two pieces of whole lines is dropped.
    static QStringList piecesOf(const QString& text);
    // The time shown beside a user line: the system's short time style.
    static QString shortTime(const QDateTime& ts);

private:
    struct Piece
    {
        int message = 0;
        QString text;
        bool first = true;
        bool last = true;
    };

    QList<CmdMessage> m_messages;
    QList<Piece> m_pieces;
};
