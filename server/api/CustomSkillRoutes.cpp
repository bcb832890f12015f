#include "api/ApiRoutes.h"
#include "api/JsonFields.h"
#include "automation/AutomationService.h"
#include "http/Router.h"
#include "service/CallerTrust.h"
#include "storage/CustomSkillStore.h"

#include <QJsonArray>

namespace ApiRoutes {
namespace {

const QString defaultEmoji = QStringLiteral("⚡");

// The definition in a create or update body; nothing, with the refusal sent, when it is not one.
std::optional<CustomSkillDef> definitionFrom(const HttpRequest& request, const HttpResponder& responder)
{
    const std::optional<QJsonObject> body = request.jsonObject();
    const std::optional<QString> name =
        body ? JsonFields::string(*body, QStringLiteral("name")) : std::nullopt;
    const std::optional<QString> script =
        body ? JsonFields::string(*body, QStringLiteral("script")) : std::nullopt;
    const QString emoji =
        body ? JsonFields::string(*body, QStringLiteral("emoji")).value_or(QString()) : QString();
    if (!name || name->trimmed().isEmpty() || !script || script->trimmed().isEmpty()) {
        responder.send(HttpResponse::error(
            400, QStringLiteral("A script skill needs a JSON body with a name and a script")));
        return std::nullopt;
    }
    return CustomSkillDef{request.pathParameter, *name, emoji.isEmpty() ? defaultEmoji : emoji, *script};
}

} // namespace

void addCustomSkillRoutes(Router& router, ApiContext& context)
{
    router.add("GET", QStringLiteral("/api/custom-skills"),
               [&context](const HttpRequest&, const HttpResponder& responder) {
                   const std::optional<QList<CustomSkillDef>> stored = context.customSkills.list();
                   if (!stored) {
                       responder.send(
                           HttpResponse::error(500, QStringLiteral("The script skills cannot be read")));
                       return;
                   }
                   QJsonArray skills;
                   for (const CustomSkillDef& skill : *stored)
                       skills.append(skill.toJson());
                   responder.send(HttpResponse::json(skills));
               });
    router.add(
        "POST", QStringLiteral("/api/custom-skills"),
        [&context](const HttpRequest& request, const HttpResponder& responder) {
            const std::optional<CustomSkillDef> definition = definitionFrom(request, responder);
            if (!definition)
                return;
            context.callers.whenScriptsAllowed(
                request, responder, [&context, responder, definition = *definition]() {
                    const std::optional<CustomSkillDef> created =
                        context.customSkills.create(definition.name, definition.emoji, definition.script);
                    responder.send(created ? HttpResponse::json(created->toJson())
                                           : HttpResponse::error(
                                                 500, QStringLiteral("The script skill was not stored")));
                });
        });
    router.add("PUT", QStringLiteral("/api/custom-skills/*"),
               [&context](const HttpRequest& request, const HttpResponder& responder) {
                   const std::optional<CustomSkillDef> definition = definitionFrom(request, responder);
                   if (!definition)
                       return;
                   context.callers.whenScriptsAllowed(
                       request, responder, [&context, responder, definition = *definition]() {
                           if (!context.customSkills.update(definition)) {
                               responder.send(
                                   HttpResponse::error(404, QStringLiteral("No script skill with this id")));
                               return;
                           }
                           context.automations.refreshName(definition.id);
                           responder.send(HttpResponse::succeeded());
                       });
               });
    router.add("DELETE", QStringLiteral("/api/custom-skills/*"),
               [&context](const HttpRequest& request, const HttpResponder& responder) {
                   if (!context.customSkills.remove(request.pathParameter)) {
                       responder.send(
                           HttpResponse::error(404, QStringLiteral("No script skill with this id")));
                       return;
                   }
                   // An automation must not outlive the script it runs.
                   context.automations.forget(request.pathParameter);
                   responder.send(HttpResponse::succeeded());
               });
}

} // namespace ApiRoutes
