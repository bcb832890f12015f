#include "api/ApiRoutes.h"
#include "api/JsonFields.h"
#include "http/Router.h"
#include "model/Timestamp.h"
#include "service/CallerTrust.h"
#include "service/ChatResponder.h"
#include "service/CommandRunner.h"

namespace ApiRoutes {
namespace {

// The field `key` of a JSON object body, or the refusal to send.
std::optional<QString> requiredString(const HttpRequest& request, const QString& key,
                                      const HttpResponder& responder)
{
    const std::optional<QJsonObject> body = request.jsonObject();
    const std::optional<QString> value = body ? JsonFields::string(*body, key) : std::nullopt;
    if (!value || value->trimmed().isEmpty()) {
        responder.send(
            HttpResponse::error(400, QStringLiteral("The body needs a non-empty string \"%1\"").arg(key)));
        return std::nullopt;
    }
    return value;
}

} // namespace

void addCommandRoutes(Router& router, ApiContext& context)
{
    router.add("POST", QStringLiteral("/api/command"),
               [&context](const HttpRequest& request, const HttpResponder& responder) {
                   const std::optional<QString> command =
                       requiredString(request, QStringLiteral("command"), responder);
                   if (!command)
                       return;
                   auto run = [&context, responder, command = *command]() {
                       context.commands.run(command, [responder, clock = context.clock](
                                                         const CommandRunner::Outcome& outcome) {
                           responder.send(HttpResponse::json(
                               QJsonObject{{QStringLiteral("success"), outcome.success},
                                           {QStringLiteral("result"), outcome.result},
                                           {QStringLiteral("type"), outcome.type},
                                           {QStringLiteral("timestamp"), Timestamp::format(clock())}}));
                       });
                   };
                   if (CommandRunner::runsScript(*command))
                       context.callers.whenScriptsAllowed(request, responder, run);
                   else
                       run();
               });
    router.add("POST", QStringLiteral("/api/chat"),
               [&context](const HttpRequest& request, const HttpResponder& responder) {
                   const std::optional<QString> message =
                       requiredString(request, QStringLiteral("message"), responder);
                   if (!message)
                       return;
                   context.callers.check(request, [&context, responder,
                                                   message = *message](const PeerSandbox::Finding& caller) {
                       context.chat.respond(message, caller.kind == PeerSandbox::Finding::Host,
                                            [responder](const QString& response) {
                                                responder.send(HttpResponse::json(
                                                    QJsonObject{{QStringLiteral("success"), true},
                                                                {QStringLiteral("response"), response}}));
                                            });
                   });
               });
}

} // namespace ApiRoutes
