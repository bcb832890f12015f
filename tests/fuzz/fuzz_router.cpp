#include "FuzzText.h"
#include "api/JsonFields.h"
#include "http/RequestHeadParser.h"
#include "http/RequestPolicy.h"
#include "http/Router.h"

#include <QJsonObject>

namespace {

struct Routed
{
    int route = -1;
    HttpRequest request;
};

// The API's method and path table; each handler notes which route took the request. The real handlers
// run skills and force-quit applications, which a fuzzer must not do.
const Router& apiRouter(Routed& routed)
{
    static Router router;
    static Routed* current = nullptr;
    current = &routed;
    static const bool filled = [] {
        const QList<std::pair<QByteArray, QString>> routes{
            {"GET", "/api/status"},
            {"GET", "/api/stats"},
            {"GET", "/api/xmtp-address"},
            {"POST", "/api/command"},
            {"POST", "/api/chat"},
            {"GET", "/api/custom-skills"},
            {"POST", "/api/custom-skills"},
            {"PUT", "/api/custom-skills/*"},
            {"DELETE", "/api/custom-skills/*"},
            {"GET", "/api/automations"},
            {"POST", "/api/automations"},
            {"DELETE", "/api/automations/*"},
            {"GET", "/api/config/bot-info"},
            {"POST", "/api/config/chat-id"},
            {"POST", "/api/config/authorize"},
            {"POST", "/api/setup"},
        };
        for (int i = 0; i < routes.size(); ++i) {
            router.add(routes[i].first, routes[i].second,
                       [i](const HttpRequest& request, const HttpResponder&) {
                           current->route = i;
                           current->request = request;
                       });
        }
        return true;
    }();
    Q_UNUSED(filled);
    return router;
}

} // namespace

// A whole request (head and body) in, the answer out, as a connection hands it on, without a socket.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = FuzzText::bytes(data, size);
    const qsizetype headEnd = input.indexOf("\r\n\r\n");
    if (headEnd < 0 || headEnd + 4 > RequestHeadParser::maxHeadBytes)
        return 0;
    const RequestHeadParser::Result parsed = RequestHeadParser::parse(input.left(headEnd + 4));
    if (!parsed.request) {
        (void)HttpResponse::error(parsed.errorStatus, parsed.error).serialize(false);
        return 0;
    }
    HttpRequest request = *parsed.request;
    qint64 bodyBytes = 0;
    if (const std::optional<HttpResponse> refusal = RequestPolicy::check(request, 3456, bodyBytes)) {
        (void)refusal->serialize(false);
        return 0;
    }
    request.body = input.mid(headEnd + 4, bodyBytes);
    if (request.body.size() < bodyBytes)
        return 0; // the connection would still be waiting for the rest

    Routed routed;
    apiRouter(routed).handle(request, HttpResponder());
    if (routed.route < 0)
        return 0; // answered 404 or 405 by the router
    FuzzText::require(routed.request.path == request.path, "the routed request is the one sent");
    const std::optional<QJsonObject> body = routed.request.jsonObject();
    const QJsonObject answer{
        {QStringLiteral("success"), body.has_value()},
        {QStringLiteral("name"), body ? JsonFields::string(*body, "name").value_or(QString()) : QString()},
        {QStringLiteral("id"), routed.request.pathParameter}};
    const QByteArray wire = HttpResponse::json(answer).serialize(request.keepAlive());
    FuzzText::require(wire.startsWith("HTTP/1.1 200"), "an answer starts with its status line");
    return 0;
}
