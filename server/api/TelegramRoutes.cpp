#include "api/ApiRoutes.h"
#include "http/Router.h"
#include "telegram/TelegramLink.h"

#include <QJsonArray>

namespace ApiRoutes {
namespace {

HttpResponse toResponse(const TelegramLink::Reply& reply)
{
    if (reply.status != 200)
        return HttpResponse::error(reply.status, reply.message);
    QJsonObject object{{QStringLiteral("success"), reply.success},
                       {QStringLiteral("message"), reply.message}};
    if (reply.chatId)
        object.insert(QStringLiteral("chatId"), *reply.chatId);
    if (!reply.instructions.isEmpty())
        object.insert(QStringLiteral("instructions"), QJsonArray::fromStringList(reply.instructions));
    return HttpResponse::json(object);
}

HttpResponse saved()
{
    return HttpResponse::json(
        QJsonObject{{QStringLiteral("success"), true}, {QStringLiteral("message"), QStringLiteral("Saved")}});
}

// api/setup: every key given is stored. The desktop clears the chat with {"telegramChatId": ""}.
void setup(const HttpRequest& request, const HttpResponder& responder, TelegramLink& telegram)
{
    const std::optional<QJsonObject> body = request.jsonObject();
    if (!body) {
        responder.send(HttpResponse::error(400, QStringLiteral("The body must be a JSON object")));
        return;
    }
    for (auto it = body->constBegin(); it != body->constEnd(); ++it) {
        if (it.key() != QLatin1String("telegramChatId") && it.key() != QLatin1String("telegramBotToken")) {
            responder.send(HttpResponse::error(400, QStringLiteral("Unknown setting: %1").arg(it.key())));
            return;
        }
        if (!it.value().isString()) {
            responder.send(HttpResponse::error(400, QStringLiteral("%1 must be a string").arg(it.key())));
            return;
        }
    }
    const QString chatId = body->value(QStringLiteral("telegramChatId")).toString();
    if (body->contains(QStringLiteral("telegramChatId")) && !chatId.isEmpty() &&
        !TelegramLink::isChatId(chatId)) {
        responder.send(HttpResponse::error(400, QStringLiteral("telegramChatId must be a Telegram chat id")));
        return;
    }
    auto storeChat = [body, &telegram, chatId]() {
        if (body->contains(QStringLiteral("telegramChatId")))
            telegram.setChatId(chatId);
    };
    if (!body->contains(QStringLiteral("telegramBotToken"))) {
        storeChat();
        responder.send(saved());
        return;
    }
    const QString token = body->value(QStringLiteral("telegramBotToken")).toString();
    if (token.trimmed().isEmpty()) {
        telegram.forgetBot();
        storeChat();
        responder.send(saved());
        return;
    }
    telegram.saveToken(token, [responder, storeChat](const TelegramLink::Reply& reply) {
        if (reply.success)
            storeChat();
        responder.send(reply.success ? saved() : toResponse(reply));
    });
}

} // namespace

void addTelegramRoutes(Router& router, ApiContext& context)
{
    TelegramLink& telegram = context.telegram;
    router.add("GET", QStringLiteral("/api/config/bot-info"),
               [&telegram](const HttpRequest&, const HttpResponder& responder) {
                   const std::optional<TelegramLink::Status> status = telegram.status();
                   if (!status) {
                       responder.send(
                           HttpResponse::error(404, QStringLiteral("No Telegram bot is configured")));
                       return;
                   }
                   responder.send(HttpResponse::json(status->toJson()));
               });
    router.add("POST", QStringLiteral("/api/config/chat-id"),
               [&telegram](const HttpRequest& request, const HttpResponder& responder) {
                   const std::optional<QJsonObject> body = request.jsonObject();
                   const QJsonValue token = body ? body->value(QStringLiteral("token")) : QJsonValue();
                   if (!token.isString()) {
                       responder.send(
                           HttpResponse::error(400, QStringLiteral("The body needs a string \"token\"")));
                       return;
                   }
                   telegram.saveToken(token.toString(), [responder](const TelegramLink::Reply& reply) {
                       responder.send(toResponse(reply));
                   });
               });
    router.add("POST", QStringLiteral("/api/config/authorize"),
               [&telegram](const HttpRequest&, const HttpResponder& responder) {
                   telegram.authorize(
                       [responder](const TelegramLink::Reply& reply) { responder.send(toResponse(reply)); });
               });
    router.add("POST", QStringLiteral("/api/setup"),
               [&telegram](const HttpRequest& request, const HttpResponder& responder) {
                   setup(request, responder, telegram);
               });
}

} // namespace ApiRoutes
