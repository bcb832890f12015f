#include "platform/SwayBarEdge.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRect>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr char magic[] = "i3-ipc";
constexpr qsizetype magicSize = 6;
constexpr qsizetype headerSize = magicSize + 8;
constexpr quint32 getWorkspaces = 1;
constexpr quint32 getOutputs = 3;
// Replies are small; anything larger is no sway answering.
constexpr quint32 largestReply = 4 * 1024 * 1024;
constexpr int answerTimeoutMs = 2000;

QRect rectOf(const QJsonObject& object)
{
    const QJsonObject rect = object.value(u"rect").toObject();
    return {rect.value(u"x").toInt(), rect.value(u"y").toInt(), rect.value(u"width").toInt(),
            rect.value(u"height").toInt()};
}

} // namespace

SwayBarEdge::SwayBarEdge(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath))
{
}

QByteArray SwayBarEdge::message(quint32 type, const QByteArray& payload)
{
    QByteArray bytes(magic, magicSize);
    const auto length = quint32(payload.size());
    bytes.append(reinterpret_cast<const char*>(&length), sizeof length);
    bytes.append(reinterpret_cast<const char*>(&type), sizeof type);
    return bytes + payload;
}

std::optional<Qt::Edge> SwayBarEdge::fromReplies(const QByteArray& workspaces, const QByteArray& outputs)
{
    QString outputName;
    QRect area;
    for (const QJsonValue& value : QJsonDocument::fromJson(workspaces).array()) {
        const QJsonObject workspace = value.toObject();
        if (workspace.value(u"focused").toBool()) {
            outputName = workspace.value(u"output").toString();
            area = rectOf(workspace);
        }
    }
    if (outputName.isEmpty() || !area.isValid())
        return std::nullopt;
    for (const QJsonValue& value : QJsonDocument::fromJson(outputs).array()) {
        const QJsonObject output = value.toObject();
        if (output.value(u"name").toString() != outputName)
            continue;
        const QRect screen = rectOf(output);
        const int top = area.top() - screen.top();
        const int bottom = screen.bottom() - area.bottom();
        const int left = area.left() - screen.left();
        const int right = screen.right() - area.right();
        const int largest = std::max({top, bottom, left, right});
        if (largest <= 0)
            return std::nullopt;
        if (largest == top)
            return Qt::TopEdge;
        if (largest == bottom)
            return Qt::BottomEdge;
        return largest == left ? Qt::LeftEdge : Qt::RightEdge;
    }
    return std::nullopt;
}

void SwayBarEdge::ask(Answer answer)
{
    if (!isAvailable()) {
        answer(std::nullopt);
        return;
    }
    m_waiting.append(std::move(answer));
    if (m_socket)
        return; // The question in flight answers this one too.
    m_buffer.clear();
    m_replies.clear();
    m_socket = new QLocalSocket(this);
    connect(m_socket, &QLocalSocket::readyRead, this, &SwayBarEdge::readReplies);
    connect(m_socket, &QLocalSocket::errorOccurred, this, [this] { finish(std::nullopt); });
    connect(m_socket, &QLocalSocket::connected, this,
            [this] { m_socket->write(message(getWorkspaces) + message(getOutputs)); });
    QTimer::singleShot(answerTimeoutMs, m_socket, [this] { finish(std::nullopt); });
    m_socket->connectToServer(m_socketPath);
}

void SwayBarEdge::readReplies()
{
    m_buffer += m_socket->readAll();
    while (m_buffer.size() >= headerSize) {
        if (!m_buffer.startsWith(QByteArray(magic, magicSize))) {
            finish(std::nullopt);
            return;
        }
        quint32 length = 0;
        std::memcpy(&length, m_buffer.constData() + magicSize, sizeof length);
        if (length > largestReply) {
            finish(std::nullopt);
            return;
        }
        if (m_buffer.size() < headerSize + qsizetype(length))
            return;
        m_replies.append(m_buffer.mid(headerSize, length));
        m_buffer.remove(0, headerSize + length);
        if (m_replies.size() == 2) {
            finish(fromReplies(m_replies.at(0), m_replies.at(1)));
            return;
        }
    }
}

void SwayBarEdge::finish(std::optional<Qt::Edge> edge)
{
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    m_socket->abort();
    m_socket->deleteLater();
    m_socket = nullptr;
    const QList<Answer> waiting = std::exchange(m_waiting, {});
    for (const Answer& answer : waiting)
        answer(edge);
}
