#include "fakes/FakeBotApi.h"

#include <QJsonDocument>
#include <QTest>
#include <QUrlQuery>

FakeBotApi::FakeBotApi(QObject* parent) : QObject(parent)
{
    m_defaults.insert(QStringLiteral("sendMessage"), okReply(QJsonObject{{"message_id", 1}}));
    m_defaults.insert(QStringLiteral("answerCallbackQuery"), okReply(true));
    m_defaults.insert(QStringLiteral("deleteWebhook"), okReply(true));
    m_defaults.insert(QStringLiteral("getMe"),
                      okReply(QJsonObject{{"id", 1}, {"is_bot", true}, {"username", "halvex_test_bot"}}));
    m_server.setHandler([this](const Request& request) { return answer(request); });
}

FakeHttpServer::Reply FakeBotApi::okReply(const QJsonValue& result)
{
    Reply reply;
    reply.body = QJsonDocument(QJsonObject{{"ok", true}, {"result", result}}).toJson(QJsonDocument::Compact);
    return reply;
}

void FakeBotApi::queueReply(const QString& method, const Reply& reply)
{
    m_scripts[method].enqueue(reply);
}

void FakeBotApi::addUpdates(const QJsonArray& updates)
{
    for (const QJsonValue& update : updates)
        m_pendingUpdates.append(update);
}

void FakeBotApi::addRenumberedUpdates(const QJsonArray& updates)
{
    for (const QJsonValue& update : updates) {
        m_renumbered.insert(update[QLatin1String("update_id")].toInteger());
        m_pendingUpdates.append(update);
    }
}

void FakeBotApi::answerEverything(const Reply& reply)
{
    m_scripts.clear();
    m_everything = reply;
}

FakeHttpServer::Reply FakeBotApi::answer(const Request& request)
{
    if (m_everything)
        return *m_everything;
    const QString method = methodOf(request);
    QQueue<Reply>& script = m_scripts[method];
    if (!script.isEmpty())
        return script.dequeue();
    if (method == QLatin1String("getUpdates"))
        return answerUpdates(request);
    Reply notFound{404, R"({"ok":false,"error_code":404,"description":"Not Found"})"};
    return m_defaults.value(method, notFound);
}

FakeHttpServer::Reply FakeBotApi::answerUpdates(const Request& request)
{
    const QUrlQuery query(QString::fromUtf8(request.query()));
    bool hasOffset = false;
    const qint64 offset = query.queryItemValue(QStringLiteral("offset")).toLongLong(&hasOffset);
    if (hasOffset) {
        QJsonArray unconfirmed;
        for (const QJsonValue& update : std::as_const(m_pendingUpdates)) {
            const qint64 id = update[QLatin1String("update_id")].toInteger();
            if (id >= offset || m_renumbered.contains(id))
                unconfirmed.append(update);
        }
        m_pendingUpdates = unconfirmed;
    }
    bool hasLimit = false;
    const int limit = query.queryItemValue(QStringLiteral("limit")).toInt(&hasLimit);
    QJsonArray answered;
    for (const QJsonValue& update : std::as_const(m_pendingUpdates)) {
        if (answered.size() >= (hasLimit ? limit : 100))
            break;
        const qint64 id = update[QLatin1String("update_id")].toInteger();
        if (hasOffset && id < offset)
            continue;
        m_renumbered.remove(id);
        answered.append(update);
    }
    return okReply(answered);
}

QList<FakeHttpServer::Request> FakeBotApi::requests(const QString& method) const
{
    QList<Request> matching;
    for (const Request& request : m_server.requests()) {
        if (method.isEmpty() || methodOf(request) == method)
            matching.append(request);
    }
    return matching;
}

bool FakeBotApi::waitForRequests(const QString& method, int count, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return requests(method).size() >= count; }, timeoutMs);
}

QString FakeBotApi::methodOf(const Request& request)
{
    const QString path = QString::fromUtf8(request.path());
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString FakeBotApi::tokenOf(const Request& request)
{
    const QString path = QString::fromUtf8(QByteArray::fromPercentEncoding(request.path()));
    if (!path.startsWith(QLatin1String("/bot")))
        return {};
    return path.mid(4, path.lastIndexOf(QLatin1Char('/')) - 4);
}

QJsonObject FakeBotApi::pressUpdate(qint64 updateId, const QString& callbackId, const QString& data,
                                    qint64 chatId)
{
    const QJsonObject message{{"message_id", 7}, {"chat", QJsonObject{{"id", chatId}}}};
    return {{"update_id", updateId},
            {"callback_query", QJsonObject{{"id", callbackId}, {"data", data}, {"message", message}}}};
}

QJsonObject FakeBotApi::messageUpdate(qint64 updateId, qint64 chatId)
{
    return {{"update_id", updateId},
            {"message",
             QJsonObject{{"message_id", 3}, {"text", "/start"}, {"chat", QJsonObject{{"id", chatId}}}}}};
}
