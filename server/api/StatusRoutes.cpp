#include "api/ApiRoutes.h"
#include "api/EventAnswers.h"
#include "http/Router.h"

#include <memory>

namespace ApiRoutes {

void addStatusRoutes(Router& router, ApiContext& context)
{
    router.add("GET", QStringLiteral("/api/status"),
               [&context](const HttpRequest&, const HttpResponder& responder) {
                   QJsonObject status{{QStringLiteral("success"), true},
                                      {QStringLiteral("status"), QStringLiteral("ok")},
                                      {QStringLiteral("service"), QStringLiteral("halvexd")},
                                      {QStringLiteral("version"), QStringLiteral(HALVEX_VERSION)}};
                   if (!context.recoveredDatabase.isEmpty())
                       status.insert(QStringLiteral("recovered"), context.recoveredDatabase);
                   responder.send(HttpResponse::json(status));
               });
    auto answers = std::make_shared<EventAnswers>(context.events);
    router.add(
        "GET", QStringLiteral("/api/alerts"),
        [answers](const HttpRequest&, const HttpResponder& responder) { responder.send(answers->alerts()); });
    router.add("GET", QStringLiteral("/api/stats"),
               [answers, &context](const HttpRequest&, const HttpResponder& responder) {
                   responder.send(answers->stats(context.clock()));
               });
    // No XMTP agent runs beside this backend.
    router.add("GET", QStringLiteral("/api/xmtp-address"),
               [](const HttpRequest&, const HttpResponder& responder) {
                   responder.send(HttpResponse::json(QJsonObject{{QStringLiteral("running"), false}}));
               });
}

} // namespace ApiRoutes
