#include "platform/HttpExchange.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

namespace HttpExchange {
namespace {

HttpOutcome outcomeOf(QNetworkReply* reply)
{
    HttpOutcome outcome;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid()) {
        outcome.status = status.toInt();
        outcome.body = reply->readAll();
        return outcome;
    }
    // Nothing here aborts a request, so a cancelled one is one whose transfer timeout ran out.
    const bool timedOut = reply->error() == QNetworkReply::OperationCanceledError ||
                          reply->error() == QNetworkReply::TimeoutError;
    outcome.error = timedOut ? QStringLiteral("The request timed out.") : reply->errorString();
    return outcome;
}

} // namespace

void send(QNetworkAccessManager& network, const HttpCall& call, QObject* context, Callback done)
{
    QNetworkRequest request(call.url);
    request.setTransferTimeout(call.timeoutMs);
    if (call.jsonBody)
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    QNetworkReply* reply =
        network.sendCustomRequest(request, call.method, call.jsonBody.value_or(QByteArray()));

    QPointer<QObject> guard(context);
    const bool hasContext = context != nullptr;
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, guard, hasContext, done]() {
        reply->deleteLater();
        if (hasContext && !guard)
            return;
        done(outcomeOf(reply));
    });
}

} // namespace HttpExchange
