#include "api/ApiRoutes.h"
#include "api/JsonFields.h"
#include "automation/AutomationService.h"
#include "http/Router.h"
#include "storage/CustomSkillStore.h"

#include <QJsonArray>

namespace ApiRoutes {
namespace {

const QString defaultEmoji = QStringLiteral("⚡");

// The definition in a create or update body, or the reason it is refused.
std::optional<CustomSkill> definitionFrom(const HttpRequest& request, QString& error)
{
    const std::optional<QJsonObject> body = request.jsonObject();
    if (!body) {
        error = QStringLiteral("The body must be a JSON object");
        return std::nullopt;
    }
    const std::optional<QString> name = JsonFields::string(*body, QStringLiteral("name"));
    const std::optional<QString> script = JsonFields::string(*body, QStringLiteral("script"));
    const QString emoji = JsonFields::string(*body, QStringLiteral("emoji")).value_or(QString());
    if (!name || name->trimmed().isEmpty()) {
        error = QStringLiteral("A script skill needs a name");
        return std::nullopt;
    }
    if (!script || script->trimmed().isEmpty()) {
        error = QStringLiteral("A script skill needs a script");
        return std::nullopt;
    }
    return CustomSkill{request.pathParameter, *name, emoji.isEmpty() ? defaultEmoji : emoji, *script};
}

} // namespace

void addCustomSkillRoutes(Router& router, ApiContext& context)
{
    router.add("GET", QStringLiteral("/api/custom-skills"),
               [&context](const HttpRequest&, const HttpResponder& responder) {
                   QJsonArray skills;
                   for (const CustomSkill& skill : context.customSkills.all())
                       skills.append(skill.toJson());
                   responder.send(HttpResponse::json(skills));
               });
    router.add("POST", QStringLiteral("/api/custom-skills"),
               [&context](const HttpRequest& request, const HttpResponder& responder) {
                   QString error;
                   const std::optional<CustomSkill> definition = definitionFrom(request, error);
                   if (!definition) {
                       responder.send(HttpResponse::error(400, error));
                       return;
                   }
                   const std::optional<CustomSkill> created =
                       context.customSkills.create(definition->name, definition->emoji, definition->script);
                   responder.send(
                       created ? HttpResponse::json(created->toJson())
                               : HttpResponse::error(500, QStringLiteral("The script skill was not stored")));
               });
    router.add("PUT", QStringLiteral("/api/custom-skills/*"),
               [&context](const HttpRequest& request, const HttpResponder& responder) {
                   QString error;
                   const std::optional<CustomSkill> definition = definitionFrom(request, error);
                   if (!definition) {
                       responder.send(HttpResponse::error(400, error));
                       return;
                   }
                   if (!context.customSkills.update(*definition)) {
                       responder.send(
                           HttpResponse::error(404, QStringLiteral("No script skill with this id")));
                       return;
                   }
                   context.automations.refreshName(definition->id);
                   responder.send(HttpResponse::json(QJsonObject{{QStringLiteral("success"), true}}));
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
                   responder.send(HttpResponse::json(QJsonObject{{QStringLiteral("success"), true}}));
               });
}

} // namespace ApiRoutes
