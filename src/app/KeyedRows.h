#pragma once

#include <QAbstractListModel>
#include <QList>

// A list model whose rows are replaced as inserted, moved, removed and changed rows, matched by
// `Row::key()` (unique within a list), so a list view keeps the delegates of the rows that stay: a new
// access redraws the rows it touches, not all of them.
template <typename Row> class KeyedRows : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }

    const QList<Row>& rows() const { return m_rows; }

    void setRows(const QList<Row>& rows)
    {
        for (qsizetype i = 0; i < rows.size(); ++i)
            placeAt(i, rows[i]);
        if (m_rows.size() > rows.size()) {
            beginRemoveRows({}, int(rows.size()), int(m_rows.size()) - 1);
            m_rows.resize(rows.size());
            endRemoveRows();
        }
    }

protected:
    QList<Row> m_rows;

private:
    // Rows before `position` are already in place; the one wanted there comes from further down, or is new.
    void placeAt(qsizetype position, const Row& row)
    {
        qsizetype found = -1;
        for (qsizetype j = position; j < m_rows.size(); ++j) {
            if (m_rows[j].key() == row.key()) {
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
            Q_EMIT this->dataChanged(changed, changed);
        }
    }
};
