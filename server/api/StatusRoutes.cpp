#include "api/ApiRoutes.h"
#include "http/Router.h"
#include "storage/EventStore.h"

namespace ApiRoutes {
namespace {

constexpr int alertsListed = 500;

qint64 startOfLocalDay(const QDateTime& now)
{
    const QDateTime local = now.toLocalTime();
    return QDateTime(local.date(), QTime(0, 0)).toMSecsSinceEpoch();
}

} // namespace

void addStatusRoutes(Router& router, ApiContext& context)
{
    router.add("GET", QStringLiteral("/api/status"), [](const HttpRequest&, const HttpResponder& responder) {
        responder.send(
            HttpResponse::json(QJsonObject{{QStringLiteral("success"), true},
                                           {QStringLiteral("status"), QStringLiteral("ok")},
                                           {QStringLiteral("service"), QStringLiteral("halvexd")},
                                           {QStringLiteral("version"), QStringLiteral(HALVEX_VERSION)}}));
    });
    router.add(
        "GET", QStringLiteral("/api/alerts"), [&context](const HttpRequest&, const HttpResponder& responder) {
            responder.send(HttpResponse::json(SecurityAlerts::toJson(context.events.newest(alertsListed))));
        });
    router.add("GET", QStringLiteral("/api/stats"),
               [&context](const HttpRequest&, const HttpResponder& responder) {
                   const QDateTime now = context.clock();
                   responder.send(HttpResponse::json(
                       context.events.stats(now.toMSecsSinceEpoch(), startOfLocalDay(now)).toJson()));
               });
    // No XMTP agent runs beside this backend.
    router.add("GET", QStringLiteral("/api/xmtp-address"),
               [](const HttpRequest&, const HttpResponder& responder) {
                   responder.send(HttpResponse::json(QJsonObject{{QStringLiteral("running"), false}}));
               });
}

} // namespace ApiRoutes
