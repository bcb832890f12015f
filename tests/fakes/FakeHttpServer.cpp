#include "fakes/FakeHttpServer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 204:
        return "No Content";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

QByteArray FakeHttpServer::Request::path() const
{
    const qsizetype question = target.indexOf('?');
    return question < 0 ? target : target.left(question);
}

QByteArray FakeHttpServer::Request::query() const
{
    const qsizetype question = target.indexOf('?');
    return question < 0 ? QByteArray() : target.mid(question + 1);
}

QJsonObject FakeHttpServer::Request::json() const
{
    return QJsonDocument::fromJson(body).object();
}

FakeHttpServer::FakeHttpServer(QObject* parent) : QObject(parent)
{
    m_handler = [](const Request&) { return Reply{}; };
    connect(&m_server, &QTcpServer::newConnection, this, &FakeHttpServer::onNewConnection);
    m_server.listen(QHostAddress::LocalHost, 0);
}

QString FakeHttpServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port());
}

void FakeHttpServer::setReply(const Reply& reply)
{
    m_handler = [reply](const Request&) { return reply; };
}

bool FakeHttpServer::waitForRequests(int count, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return m_requests.size() >= count; }, timeoutMs);
}

void FakeHttpServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            socket->deleteLater();
        });
    }
}

void FakeHttpServer::onReadyRead(QTcpSocket* socket)
{
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return;

    Request request;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                   lines[i].mid(colon + 1).trimmed());
    }
    const qsizetype length = request.headers.value("content-length", "0").toLongLong();
    if (buffer.size() < headerEnd + 4 + length)
        return;
    request.body = buffer.mid(headerEnd + 4, length);
    buffer.clear();

    m_requests.append(request);
    Q_EMIT requestReceived(request);
    const Reply reply = m_handler(request);
    if (reply.neverAnswer)
        return;
    QByteArray response =
        "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
    response += "Content-Type: " + reply.contentType + "\r\n";
    response += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\nConnection: close\r\n\r\n";
    response += reply.body;
    auto answer = [socket, response] {
        socket->write(response);
        socket->disconnectFromHost();
    };
    if (reply.delayMs > 0)
        QTimer::singleShot(reply.delayMs, socket, answer); // dropped with the socket if the client leaves
    else
        answer();
}
