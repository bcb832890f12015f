#pragma once

#include "fakes/FakeHttpServer.h"
#include "model/SecurityAlert.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QSet>

// The local backend service as the desktop application sees it, held in memory: events, statistics,
// Telegram and XMTP status, automations and custom skills, with every request recorded. Point the
// serverURL setting at `baseUrl()`.
class FakeBackend : public QObject
{
    Q_OBJECT
public:
    explicit FakeBackend(QObject* parent = nullptr);

    QString baseUrl() const { return m_server.baseUrl(); }
    FakeHttpServer& server() { return m_server; }
    // Stops answering: every later request is refused.
    void goDown() { m_server.close(); }

    QList<SecurityAlert> alerts;
    QJsonObject stats{{"total", 3},
                      {"today", 2},
                      {"last24h", 3},
                      {"byType", QJsonObject{{"camera", 3}}},
                      {"byApp", QJsonObject{{"Zoom", 3}}}};
    // Empty: no bot is configured, and the status answers 404.
    QJsonObject telegramStatus{{"botUsername", "halvex_bot"}, {"chatId", "42"}, {"configured", true}};
    // The answers of the Telegram set-up calls (the token's save and the authorisation).
    FakeHttpServer::Reply chatIdReply{200, R"({"success":true})"};
    FakeHttpServer::Reply authorizeReply{200, R"({"success":true,"message":"✅ Telegram connected"})"};
    QJsonObject xmtpStatus{{"running", false}};
    QMap<QString, bool> automations; // skill id -> enabled
    QSet<QString> refusedSkillIds;   // enable/disable of these answers 500
    QJsonArray customSkills;
    QMap<QString, QString> commandResults; // command -> result text
    QSet<QString> silentCommands;          // commands that are never answered

    // Requests whose method and path match, in order.
    QList<FakeHttpServer::Request> requestsTo(const QByteArray& method, const QByteArray& path) const;
    // The automation calls, as "+id" for enable and "-id" for disable, in order.
    QStringList automationCalls() const;

private:
    FakeHttpServer::Reply answer(const FakeHttpServer::Request& request);
    QJsonArray automationList() const;

    FakeHttpServer m_server;
};
