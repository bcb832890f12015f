#pragma once

#include <QByteArray>
#include <QLocalSocket>
#include <QObject>

#include <functional>
#include <optional>

// Which screen edge sway's bars hold, told by sway itself: the focused workspace's area is its
// output less what bars (of any program) reserve, so the edge it is inset from is the bar's. Asked
// over sway's IPC socket ($SWAYSOCK); outside sway nothing is asked and nothing is known.
class SwayBarEdge : public QObject
{
    Q_OBJECT
public:
    using Answer = std::function<void(std::optional<Qt::Edge>)>;

    explicit SwayBarEdge(QString socketPath = qEnvironmentVariable("SWAYSOCK"), QObject* parent = nullptr);

    bool isAvailable() const { return !m_socketPath.isEmpty(); }
    // Asks sway; `answer` runs once, with nothing when sway could not be asked or reserves no edge.
    void ask(Answer answer);

    // The edge from sway's replies to GET_WORKSPACES and GET_OUTPUTS: the largest inset of the
    // focused workspace from its output.
    static std::optional<Qt::Edge> fromReplies(const QByteArray& workspaces, const QByteArray& outputs);
    // One IPC message: the magic, the length and type in native byte order, the payload.
    static QByteArray message(quint32 type, const QByteArray& payload = {});

private:
    void readReplies();
    void finish(std::optional<Qt::Edge> edge);

    QString m_socketPath;
    QLocalSocket* m_socket = nullptr;
    QByteArray m_buffer;
    QList<QByteArray> m_replies;
    QList<Answer> m_waiting;
};
