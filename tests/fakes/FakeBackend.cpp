#include "fakes/FakeBackend.h"

#include <QJsonDocument>
#include <QUrl>

namespace {

FakeHttpServer::Reply json(const QJsonValue& value, int status = 200)
{
    const QByteArray body = value.isArray() ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)
                                            : QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    return {status, body};
}

} // namespace

FakeBackend::FakeBackend(QObject* parent) : QObject(parent)
{
    m_server.setHandler([this](const FakeHttpServer::Request& request) { return answer(request); });
}

QJsonArray FakeBackend::automationList() const
{
    QJsonArray list;
    for (auto it = automations.cbegin(); it != automations.cend(); ++it)
        list.append(QJsonObject{{"id", "auto-" + it.key()},
                                {"skillId", it.key()},
                                {"schedule", "Every 6h"},
                                {"enabled", it.value()}});
    return list;
}

FakeHttpServer::Reply FakeBackend::answer(const FakeHttpServer::Request& request)
{
    const QByteArray path = request.path();
    const QByteArray method = request.method;
    if (path == "/api/status")
        return json(QJsonObject{{"status", "ok"}});
    if (path == "/api/alerts")
        return json(SecurityAlerts::toJson(alerts));
    if (path == "/api/stats")
        return json(stats);
    if (path == "/api/xmtp-address")
        return json(xmtpStatus);
    if (path == "/api/config/bot-info")
        return telegramStatus.isEmpty() ? json(QJsonObject{{"error", "no bot"}}, 404) : json(telegramStatus);
    if (path == "/api/config/chat-id" && method == "POST")
        return chatIdReply;
    if (path == "/api/config/authorize" && method == "POST")
        return authorizeReply;
    if (path == "/api/setup")
        return json(QJsonObject{{"success", true}});
    if (path == "/api/command") {
        const QString command = request.json().value("command").toString();
        if (silentCommands.contains(command)) {
            FakeHttpServer::Reply silent;
            silent.neverAnswer = true;
            return silent;
        }
        return json(
            QJsonObject{{"success", true}, {"result", commandResults.value(command, "ok: " + command)}});
    }
    if (path == "/api/automations" && method == "GET")
        return json(QJsonObject{{"success", true}, {"automations", automationList()}});
    if (path == "/api/automations" && method == "POST") {
        const QString id = request.json().value("skillId").toString();
        if (refusedSkillIds.contains(id))
            return json(QJsonObject{{"success", false}}, 500);
        automations[id] = true;
        return json(QJsonObject{{"success", true}});
    }
    if (path.startsWith("/api/automations/") && method == "DELETE") {
        const QString id = QUrl::fromPercentEncoding(path.mid(int(qstrlen("/api/automations/"))));
        if (refusedSkillIds.contains(id))
            return json(QJsonObject{{"success", false}}, 500);
        automations[id] = false;
        return json(QJsonObject{{"success", true}});
    }
    if (path == "/api/custom-skills")
        return json(customSkills);
    return json(QJsonObject{{"success", false}, {"error", "not found"}}, 404);
}

QList<FakeHttpServer::Request> FakeBackend::requestsTo(const QByteArray& method, const QByteArray& path) const
{
    QList<FakeHttpServer::Request> matching;
    for (const auto& request : m_server.requests()) {
        if (request.method == method && request.path() == path)
            matching.append(request);
    }
    return matching;
}

QStringList FakeBackend::automationCalls() const
{
    QStringList calls;
    for (const auto& request : m_server.requests()) {
        if (request.method == "POST" && request.path() == "/api/automations")
            calls << "+" + request.json().value("skillId").toString();
        else if (request.method == "DELETE" && request.path().startsWith("/api/automations/"))
            calls << "-" + QUrl::fromPercentEncoding(request.path().mid(int(qstrlen("/api/automations/"))));
    }
    return calls;
}
