#include "backend/HalvexClient.h"

#include "backend/BackendReplies.h"
#include "platform/Diagnostics.h"
#include "platform/HttpUrl.h"
#include "platform/Settings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

namespace {

// A reply read as one record: the record, or the description of why it failed in transport or
// decoding. A reply whose status is not 200 is neither decoded nor described.
template <typename T> struct Decoded
{
    std::optional<T> value;
    std::optional<QString> failure;
};

QString unreadable(const QString& reason)
{
    return QStringLiteral("The data couldn't be read because it isn't in the correct format (%1).")
        .arg(reason);
}

template <typename T, typename Decode> Decoded<T> decodeReply(const HttpOutcome& outcome, Decode decode)
{
    if (!outcome.isHttpReply())
        return {std::nullopt, outcome.error};
    if (!outcome.isOk())
        return {};
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(outcome.body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return {std::nullopt, unreadable(parseError.errorString())};
    const QJsonValue value =
        document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
    QString reason;
    std::optional<T> decoded = decode(value, &reason);
    if (!decoded)
        return {std::nullopt, unreadable(reason)};
    return {std::move(decoded), std::nullopt};
}

template <typename T> void printFailure(const char* lead, const Decoded<T>& decoded)
{
    if (decoded.failure)
        Diagnostics::print(QLatin1String(lead) + *decoded.failure);
}

std::optional<QList<SecurityAlert>> decodeAlerts(const QJsonValue& value, QString* reason)
{
    auto alerts = SecurityAlerts::fromJson(value);
    if (!alerts)
        *reason = QStringLiteral("expected an array of alerts");
    return alerts;
}

// The "error" text of a reply turned down with a status other than 200, when its body gives one.
std::optional<QString> refusalOf(const HttpOutcome& outcome)
{
    if (!outcome.isHttpReply() || outcome.isOk())
        return std::nullopt;
    const QJsonValue error = QJsonDocument::fromJson(outcome.body).object().value(QStringLiteral("error"));
    if (!error.isString() || error.toString().trimmed().isEmpty())
        return std::nullopt;
    return error.toString();
}

QString errorText(const QString& description)
{
    return QStringLiteral("Error: ") + description;
}

} // namespace

HalvexClient::HalvexClient(QObject* parent) : HalvexClient(Timeouts{}, parent) {}

HalvexClient::HalvexClient(Timeouts timeouts, QObject* parent) : QObject(parent), m_timeouts(timeouts) {}

QUrl HalvexClient::defaultApiURL()
{
    return QUrl(QStringLiteral("http://127.0.0.1:3456"));
}

QUrl HalvexClient::apiURL() const
{
    const std::optional<QString> configured = Settings().serverURL();
    if (!configured)
        return defaultApiURL();
    return HttpUrl::parseBase(*configured).value_or(defaultApiURL());
}

HttpCall HalvexClient::get(const QString& path) const
{
    HttpCall call;
    call.url = HttpUrl::appendPath(apiURL(), path);
    call.timeoutMs = m_timeouts.requestMs;
    return call;
}

HttpCall HalvexClient::post(const QString& path, const Fields& fields) const
{
    HttpCall call = get(path);
    call.method = "POST";
    return withJsonBody(std::move(call), fields);
}

HttpCall HalvexClient::withJsonBody(HttpCall call, const Fields& fields)
{
    QJsonObject body;
    for (const auto& [key, value] : fields)
        body.insert(key, value);
    call.jsonBody = QJsonDocument(body).toJson(QJsonDocument::Compact);
    return call;
}

std::optional<HttpCall> HalvexClient::itemCall(const QByteArray& method, const QString& prefix,
                                               const QString& id) const
{
    const std::optional<QString> segment = HttpUrl::escapedSegment(id);
    if (!segment)
        return std::nullopt;
    HttpCall call = get(prefix + *segment);
    call.method = method;
    return call;
}

void HalvexClient::send(const HttpCall& call, QObject* context, HttpExchange::Callback done)
{
    HttpExchange::send(m_network, call, context, std::move(done));
}

void HalvexClient::sendForStatus(const std::optional<HttpCall>& call, QObject* context, Done<bool> done)
{
    if (!call) {
        // Still answered later, never from inside the call, like every other result.
        QTimer::singleShot(0, context ? context : this, [done]() { done(false); });
        return;
    }
    send(*call, context, [done](const HttpOutcome& outcome) { done(outcome.isOk()); });
}

void HalvexClient::sendForSuccess(const HttpCall& call, QObject* context, Done<bool> done)
{
    send(call, context, [done](const HttpOutcome& outcome) {
        const auto reply = decodeReply<GenericResponse>(outcome, &GenericResponse::fromJson);
        done(reply.value && reply.value->success);
    });
}

void HalvexClient::checkStatus(QObject* context, Done<bool> done)
{
    send(get(QStringLiteral("api/status")), context, [done](const HttpOutcome& outcome) {
        if (!outcome.isHttpReply())
            Diagnostics::print(QStringLiteral("Status check failed: ") + outcome.error);
        done(outcome.isOk());
    });
}

void HalvexClient::fetchAlerts(QObject* context, Done<QList<SecurityAlert>> done)
{
    send(get(QStringLiteral("api/alerts")), context, [done](const HttpOutcome& outcome) {
        const auto alerts = decodeReply<QList<SecurityAlert>>(outcome, &decodeAlerts);
        printFailure("Error fetching alerts: ", alerts);
        done(alerts.value.value_or(QList<SecurityAlert>()));
    });
}

void HalvexClient::fetchStats(QObject* context, Done<std::optional<DashboardStats>> done)
{
    send(get(QStringLiteral("api/stats")), context, [done](const HttpOutcome& outcome) {
        const auto stats = decodeReply<DashboardStats>(outcome, &DashboardStats::fromJson);
        printFailure("Error fetching stats: ", stats);
        done(stats.value);
    });
}

void HalvexClient::executeCommand(const QString& command, QObject* context, Done<std::optional<QString>> done)
{
    runCommand(command, context, [done](const CommandOutcome& outcome) { done(outcome.text); });
}

void HalvexClient::runCommand(const QString& command, QObject* context, Done<CommandOutcome> done)
{
    HttpCall call = post(QStringLiteral("api/command"), {{QStringLiteral("command"), command}});
    call.timeoutMs = m_timeouts.commandMs;
    send(call, context, [done](const HttpOutcome& outcome) {
        const auto response = decodeReply<CommandResponse>(outcome, &CommandResponse::fromJson);
        printFailure("Error executing command: ", response);
        if (response.failure)
            done({errorText(*response.failure), std::nullopt});
        else if (response.value)
            done({response.value->result, std::nullopt});
        else
            done({std::nullopt, refusalOf(outcome)});
    });
}

void HalvexClient::fetchXMTPStatus(QObject* context, Done<std::optional<XMTPStatus>> done)
{
    send(get(QStringLiteral("api/xmtp-address")), context, [done](const HttpOutcome& outcome) {
        done(decodeReply<XMTPStatus>(outcome, &XMTPStatus::fromJson).value);
    });
}

void HalvexClient::fetchTelegramStatus(QObject* context, Done<std::optional<TelegramStatus>> done)
{
    send(get(QStringLiteral("api/config/bot-info")), context, [done](const HttpOutcome& outcome) {
        done(decodeReply<TelegramStatus>(outcome, &TelegramStatus::fromJson).value);
    });
}

void HalvexClient::saveTelegramToken(const QString& token, QObject* context, Done<bool> done)
{
    storeTelegramToken(token, context, [done](const TokenSaveOutcome& outcome) { done(outcome.saved); });
}

void HalvexClient::storeTelegramToken(const QString& token, QObject* context, Done<TokenSaveOutcome> done)
{
    send(post(QStringLiteral("api/config/chat-id"), {{QStringLiteral("token"), token}}), context,
         [done](const HttpOutcome& outcome) {
             const auto reply = decodeReply<GenericResponse>(outcome, &GenericResponse::fromJson);
             done({reply.value && reply.value->success, refusalOf(outcome)});
         });
}

void HalvexClient::authorizeTelegram(QObject* context, Done<std::optional<TelegramAuthResult>> done)
{
    const HttpCall call =
        post(QStringLiteral("api/config/authorize"), {{QStringLiteral("chatId"), QStringLiteral("auto")}});
    send(call, context, [done](const HttpOutcome& outcome) {
        done(decodeReply<TelegramAuthResult>(outcome, &TelegramAuthResult::fromJson).value);
    });
}

void HalvexClient::disconnectTelegram(QObject* context, Done<bool> done)
{
    sendForSuccess(post(QStringLiteral("api/setup"), {{QStringLiteral("telegramChatId"), QString()}}),
                   context, std::move(done));
}

void HalvexClient::fetchAutomations(QObject* context, Done<QList<Automation>> done)
{
    // The envelope's `success` is not looked at: the list is what the backend holds.
    send(get(QStringLiteral("api/automations")), context, [done](const HttpOutcome& outcome) {
        const auto response = decodeReply<AutomationsResponse>(outcome, &AutomationsResponse::fromJson);
        done(response.value ? response.value->automations : QList<Automation>());
    });
}

void HalvexClient::enableAutomation(const QString& skillId, QObject* context, Done<bool> done)
{
    sendForStatus(post(QStringLiteral("api/automations"), {{QStringLiteral("skillId"), skillId}}), context,
                  std::move(done));
}

void HalvexClient::disableAutomation(const QString& skillId, QObject* context, Done<bool> done)
{
    sendForStatus(itemCall("DELETE", QStringLiteral("api/automations/"), skillId), context, std::move(done));
}

void HalvexClient::fetchCustomSkills(QObject* context, Done<QList<CustomSkillDef>> done)
{
    send(get(QStringLiteral("api/custom-skills")), context, [done](const HttpOutcome& outcome) {
        const auto skills = decodeReply<QList<CustomSkillDef>>(outcome, &CustomSkillDefs::fromJson);
        done(skills.value.value_or(QList<CustomSkillDef>()));
    });
}

void HalvexClient::createCustomSkill(const QString& name, const QString& emoji, const QString& script,
                                     QObject* context, Done<std::optional<CustomSkillDef>> done)
{
    const HttpCall call = post(QStringLiteral("api/custom-skills"), {{QStringLiteral("name"), name},
                                                                     {QStringLiteral("emoji"), emoji},
                                                                     {QStringLiteral("script"), script}});
    send(call, context, [done](const HttpOutcome& outcome) {
        done(decodeReply<CustomSkillDef>(outcome, &CustomSkillDef::fromJson).value);
    });
}

void HalvexClient::updateCustomSkill(const CustomSkillDef& skill, QObject* context, Done<bool> done)
{
    std::optional<HttpCall> call = itemCall("PUT", QStringLiteral("api/custom-skills/"), skill.id);
    if (call) {
        call = withJsonBody(std::move(*call), {{QStringLiteral("name"), skill.name},
                                               {QStringLiteral("emoji"), skill.emoji},
                                               {QStringLiteral("script"), skill.script}});
    }
    sendForStatus(call, context, std::move(done));
}

void HalvexClient::deleteCustomSkill(const QString& id, QObject* context, Done<bool> done)
{
    sendForStatus(itemCall("DELETE", QStringLiteral("api/custom-skills/"), id), context, std::move(done));
}

void HalvexClient::sendChatMessage(const QString& message, QObject* context,
                                   Done<std::optional<QString>> done)
{
    const HttpCall call =
        post(QStringLiteral("api/chat"),
             {{QStringLiteral("message"), message}, {QStringLiteral("userId"), QLatin1String(clientTag)}});
    send(call, context, [done](const HttpOutcome& outcome) {
        if (outcome.isHttpReply() && !outcome.isOk()) {
            done(errorText(QStringLiteral("Could not connect to server")));
            return;
        }
        const auto response = decodeReply<ChatResponse>(outcome, &ChatResponse::fromJson);
        printFailure("Error sending chat message: ", response);
        if (response.failure)
            done(errorText(*response.failure));
        else
            done(response.value->response);
    });
}
