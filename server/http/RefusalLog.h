#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

// The connections refused from other users' sockets, told at most once a minute per user: a client of
// another user that polls would otherwise write a line for every attempt. A user's first refusal is
// told at once; the ones after it are counted and told, with their number, when the minute ends.
class RefusalLog : public QObject
{
    Q_OBJECT
public:
    using Print = std::function<void(const QString& line)>;

    explicit RefusalLog(std::chrono::milliseconds window = std::chrono::minutes(1), Print print = {},
                        QObject* parent = nullptr);

    // `uid` is the socket's owner, none when it could not be found.
    void refused(std::optional<uint> uid, quint16 port);

private:
    void windowEnded(qint64 user);
    static QString userText(qint64 user);

    std::chrono::milliseconds m_window;
    Print m_print;
    QHash<qint64, int> m_untold; // user (-1: unknown) → refusals counted since the last line
};
