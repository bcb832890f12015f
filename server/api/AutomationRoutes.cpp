#include "api/ApiRoutes.h"
#include "api/JsonFields.h"
#include "automation/AutomationService.h"
#include "http/Router.h"
#include "service/CallerTrust.h"
#include "storage/CustomSkillStore.h"

#include <QJsonArray>

namespace ApiRoutes {

void addAutomationRoutes(Router& router, ApiContext& context)
{
    AutomationService& automations = context.automations;
    router.add(
        "GET", QStringLiteral("/api/automations"),
        [&automations](const HttpRequest&, const HttpResponder& responder) {
            const std::optional<QList<StoredAutomation>> stored = automations.all();
            if (!stored) {
                responder.send(HttpResponse::error(500, QStringLiteral("The automations cannot be read")));
                return;
            }
            QJsonArray list;
            for (const StoredAutomation& automation : *stored)
                list.append(automation.toJson());
            responder.send(HttpResponse::json(
                QJsonObject{{QStringLiteral("success"), true}, {QStringLiteral("automations"), list}}));
        });
    router.add("POST", QStringLiteral("/api/automations"),
               [&automations, &context](const HttpRequest& request, const HttpResponder& responder) {
                   const std::optional<QJsonObject> body = request.jsonObject();
                   const std::optional<QString> skillId =
                       body ? JsonFields::string(*body, QStringLiteral("skillId")) : std::nullopt;
                   if (!skillId || skillId->isEmpty()) {
                       responder.send(
                           HttpResponse::error(400, QStringLiteral("The body needs a string \"skillId\"")));
                       return;
                   }
                   auto enable = [&automations, responder, skillId = *skillId]() {
                       const AutomationService::EnableResult result = automations.enable(skillId);
                       if (!result.automation) {
                           responder.send(HttpResponse::error(result.errorStatus, result.error));
                           return;
                       }
                       responder.send(HttpResponse::json(
                           QJsonObject{{QStringLiteral("success"), true},
                                       {QStringLiteral("automation"), result.automation->toJson()}}));
                   };
                   // An automation of a script skill runs that script on the schedule.
                   if (CustomSkillStore::looksLikeCustomId(*skillId))
                       context.callers.whenScriptsAllowed(request, responder, enable);
                   else
                       enable();
               });
    router.add("DELETE", QStringLiteral("/api/automations/*"),
               [&automations](const HttpRequest& request, const HttpResponder& responder) {
                   if (!automations.disable(request.pathParameter)) {
                       responder.send(
                           HttpResponse::error(500, QStringLiteral("The automation was not changed")));
                       return;
                   }
                   responder.send(HttpResponse::succeeded());
               });
}

} // namespace ApiRoutes
