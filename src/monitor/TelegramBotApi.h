#pragma once

#include "platform/HttpExchange.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

class QNetworkAccessManager;

// The calls Halvex makes to the Telegram Bot API with the user's bot token. Asynchronous, on the
// thread that owns the object; callbacks come back there and are dropped once their context object
// is gone. Usable on its own: the digest, the button polling, the set-up screens and the backend link
// share it.
class TelegramBotApi : public QObject
{
    Q_OBJECT
public:
    struct Timeouts
    {
        std::chrono::milliseconds alert{10'000};    // alerts and the welcome message
        std::chrono::milliseconds standard{60'000}; // every other call
    };

    // Where the force-quit button of a first alert points.
    struct ForceQuitTarget
    {
        QString rawApp;
        QString displayApp;
    };

    // What Telegram said of a token: its bot's username, or why there is none. A getMe that got no
    // answer at all (no route, no name, a time-out) says nothing about the token.
    struct TokenCheck
    {
        enum class Verdict { Valid, Invalid, Unreachable };
        Verdict verdict = Verdict::Invalid;
        QString username; // when valid
    };

    using Done = std::function<void()>;
    using OptionalTextDone = std::function<void(const std::optional<QString>&)>;
    using UpdatesDone = std::function<void(const std::optional<QJsonArray>&)>;

    // The origin comes from HALVEX_TELEGRAM_API, else the public endpoint.
    explicit TelegramBotApi(QObject* parent = nullptr);
    TelegramBotApi(const QString& origin, QObject* parent = nullptr);
    ~TelegramBotApi() override;

    static QString configuredOrigin();
    // Requests sent and not yet answered, failed or timed out.
    int pendingRequests() const { return m_pendingRequests; }
    QString origin() const { return m_origin; }
    void setTimeouts(const Timeouts& timeouts) { m_timeouts = timeouts; }
    const Timeouts& timeouts() const { return m_timeouts; }

    // The origin, "/bot", the token unchanged, then the method path ("/sendMessage"). Invalid when the
    // origin is not an absolute http or https URL.
    QUrl methodUrl(const QString& token, const QString& methodPath) const;

    // An alert; with a target it carries one force-quit button. Failures are printed, never returned.
    void doSendTelegramMessage(const QString& token, const QString& chatId, const QString& text,
                               const std::optional<ForceQuitTarget>& target = std::nullopt);
    // A plain message; the answer and any error are ignored.
    void sendTelegramText(const QString& token, const QString& chatId, const QString& text,
                          QObject* context = nullptr, Done done = {});
    void sendWelcomeMessage(const QString& token, const QString& chatId, QObject* context = nullptr,
                            Done done = {});
    // Stops the spinner on the user's phone and shows `text` briefly; the answer is ignored.
    void answerTelegramCallback(const QString& token, const QString& callbackId, const QString& text,
                                QObject* context = nullptr, Done done = {});
    // The "result" list of getUpdates after `offset`, without long polling; none on any failure.
    void getUpdatesAfter(const QString& token, qint64 offset, QObject* context, UpdatesDone done);
    // The first `limit` updates still waiting, whatever their ids; without an offset nothing is confirmed.
    void peekUpdates(const QString& token, int limit, QObject* context, UpdatesDone done);
    // Finds the chat of the latest message sent to the bot and stores it as the alert chat.
    void fetchAndSaveChatId(const QString& token, QObject* context, OptionalTextDone done);
    // The same search without storing anything: the backend service keeps the chat itself.
    void fetchChatId(const QString& token, QObject* context, OptionalTextDone done);
    // The bot's username when the token is accepted; none otherwise.
    void validateTelegramToken(const QString& token, QObject* context, OptionalTextDone done);
    void checkTelegramToken(const QString& token, QObject* context,
                            std::function<void(const TokenCheck&)> done);

    // Every printed line goes through this: Qt's error descriptions often quote the request URL, and
    // the URL holds the token.
    static QString redactToken(QString line, const QString& token);
    static QJsonObject forceQuitMarkup(const ForceQuitTarget& target);
    // The chat id of the last update, scanning back, that holds a message with a numeric chat id.
    static std::optional<QString> latestChatId(const QJsonArray& updates);
    // The "result" list of a Bot API answer; none when the body is not an object holding a list.
    static std::optional<QJsonArray> resultList(const QByteArray& body);

private:
    void call(const QByteArray& method, const QString& token, const QString& methodPath,
              std::optional<QJsonObject> body, std::chrono::milliseconds timeout, QObject* context,
              HttpExchange::Callback done);
    void printFailure(const QString& token, const QString& lead, const HttpOutcome& outcome) const;
    void askForUpdatesAfterWebhookRemoval(const QString& token, QObject* context, OptionalTextDone done);

    QString m_origin;
    Timeouts m_timeouts;
    QNetworkAccessManager* m_network;
    int m_pendingRequests = 0;
};
