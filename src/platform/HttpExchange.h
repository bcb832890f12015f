#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QNetworkAccessManager;

// One HTTP request and its outcome, asynchronous on the calling thread's event loop.
struct HttpCall
{
    QByteArray method = "GET";
    QUrl url;
    std::optional<QByteArray> jsonBody; // sent with "Content-Type: application/json"
    int timeoutMs = 60000;              // the request fails when no data moves for this long
};

struct HttpOutcome
{
    std::optional<int> status; // absent when no HTTP reply arrived (refused, reset, timed out)
    QByteArray body;
    QString error; // the transport failure's description when there is no status

    bool isHttpReply() const { return status.has_value(); }
    bool isOk() const { return status == 200; }
};

namespace HttpExchange {

using Callback = std::function<void(const HttpOutcome&)>;

// `done` runs on the calling thread once the request ends, unless `context` is gone by then.
void send(QNetworkAccessManager& network, const HttpCall& call, QObject* context, Callback done);

} // namespace HttpExchange
