#include "monitor/TelegramBotApi.h"

#include "app/Settings.h"
#include "monitor/TelegramTexts.h"
#include "monitor/TelegramUpdate.h"
#include "platform/Diagnostics.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QStringDecoder>

namespace {

const QString publicOrigin = QStringLiteral("https://api.telegram.org");

// Qt also reports 4xx and 5xx answers as reply errors (with the URL, token included, in the error
// string); those are answers from the server all the same. Only a failure of the connection itself,
// before or during the answer, is a transport error.
bool isTransportError(QNetworkReply* reply, const QVariant& status)
{
    const QNetworkReply::NetworkError error = reply->error();
    if (!status.isValid())
        return error != QNetworkReply::NoError;
    return error > QNetworkReply::NoError && error < QNetworkReply::ProxyConnectionRefusedError;
}

TelegramBotApi::Outcome outcomeOf(QNetworkReply* reply)
{
    TelegramBotApi::Outcome outcome;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (isTransportError(reply, status)) {
        outcome.transportError = true;
        outcome.errorString = reply->errorString();
        return outcome;
    }
    outcome.status = status.isValid() ? status.toInt() : 0;
    outcome.body = reply->readAll();
    return outcome;
}

// The body of a refused request as one printable line: UTF-8, or "?" when it is not.
QString bodyText(const QByteArray& body)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(body);
    if (decoder.hasError())
        return QStringLiteral("?");
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

void print(const QString& token, const QString& line)
{
    Diagnostics::print(TelegramBotApi::redactToken(line, token));
}

} // namespace

TelegramBotApi::TelegramBotApi(QObject* parent) : TelegramBotApi(configuredOrigin(), parent) {}

TelegramBotApi::TelegramBotApi(const QString& origin, QObject* parent)
    : QObject(parent), m_origin(origin), m_network(new QNetworkAccessManager(this))
{
    while (m_origin.endsWith(QLatin1Char('/')))
        m_origin.chop(1);
}

TelegramBotApi::~TelegramBotApi() = default;

QString TelegramBotApi::configuredOrigin()
{
    const QString configured = qEnvironmentVariable("HALVEX_TELEGRAM_API");
    return configured.isEmpty() ? publicOrigin : configured;
}

QUrl TelegramBotApi::methodUrl(const QString& token, const QString& methodPath) const
{
    return QUrl(m_origin + QStringLiteral("/bot") + token + methodPath);
}

QString TelegramBotApi::redactToken(QString line, const QString& token)
{
    if (token.isEmpty())
        return line;
    QUrl encoded;
    encoded.setPath(QStringLiteral("/bot") + token);
    const QString hidden = QStringLiteral("/bot<redacted>");
    for (const QString& form : {QStringLiteral("/bot") + token, encoded.path(QUrl::FullyEncoded)})
        line.replace(form, hidden);
    return line;
}

QJsonObject TelegramBotApi::forceQuitMarkup(const ForceQuitTarget& target)
{
    const QJsonObject button{
        {QStringLiteral("text"), QStringLiteral("⛔ Force Quit ") + target.displayApp},
        {QStringLiteral("callback_data"), TelegramTexts::blockCallbackData(target.rawApp)}};
    return {{QStringLiteral("inline_keyboard"), QJsonArray{QJsonArray{button}}}};
}

std::optional<QJsonArray> TelegramBotApi::resultList(const QByteArray& body)
{
    const QJsonDocument document = QJsonDocument::fromJson(body);
    const QJsonValue result = document.object().value(QLatin1String("result"));
    if (!document.isObject() || !result.isArray())
        return std::nullopt;
    return result.toArray();
}

std::optional<QString> TelegramBotApi::latestChatId(const QJsonArray& updates)
{
    for (qsizetype i = updates.size() - 1; i >= 0; --i) {
        if (const auto chatId = TelegramUpdate::messageChatId(updates.at(i).toObject()))
            return QString::number(*chatId);
    }
    return std::nullopt;
}

void TelegramBotApi::watch(QNetworkReply* reply, QObject* context, OutcomeDone done)
{
    const bool hasContext = context != nullptr;
    QPointer<QObject> guard(context);
    ++m_pendingRequests;
    connect(reply, &QNetworkReply::finished, this, [this, reply, hasContext, guard, done = std::move(done)] {
        --m_pendingRequests;
        reply->deleteLater();
        if (done && (!hasContext || guard))
            done(outcomeOf(reply));
    });
}

void TelegramBotApi::get(const QString& token, const QString& methodPath, std::chrono::milliseconds timeout,
                         QObject* context, OutcomeDone done)
{
    QNetworkRequest request(methodUrl(token, methodPath));
    request.setTransferTimeout(int(timeout.count()));
    watch(m_network->get(request), context, std::move(done));
}

void TelegramBotApi::post(const QString& token, const QString& methodPath, const QJsonObject& body,
                          std::chrono::milliseconds timeout, QObject* context, OutcomeDone done)
{
    QNetworkRequest request(methodUrl(token, methodPath));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setTransferTimeout(int(timeout.count()));
    watch(m_network->post(request, QJsonDocument(body).toJson(QJsonDocument::Compact)), context,
          std::move(done));
}

void TelegramBotApi::printFailure(const QString& token, const QString& lead, const Outcome& outcome) const
{
    if (outcome.transportError)
        print(token, QStringLiteral("[Telegram] %1 ERROR: ").arg(lead) + outcome.errorString);
    else
        print(token, QStringLiteral("[Telegram] %1 FAILED (HTTP %2): ").arg(lead).arg(outcome.status) +
                         bodyText(outcome.body));
}

void TelegramBotApi::doSendTelegramMessage(const QString& token, const QString& chatId, const QString& text,
                                           const std::optional<ForceQuitTarget>& target)
{
    if (!methodUrl(token, QStringLiteral("/sendMessage")).isValid())
        return;
    QJsonObject body{{QStringLiteral("chat_id"), chatId}, {QStringLiteral("text"), text}};
    if (target)
        body.insert(QStringLiteral("reply_markup"), forceQuitMarkup(*target));
    post(token, QStringLiteral("/sendMessage"), body, m_timeouts.alert, nullptr,
         [this, token](const Outcome& outcome) {
             if (outcome.transportError || outcome.status != 200)
                 printFailure(token, QStringLiteral("Send"), outcome);
         });
}

void TelegramBotApi::sendTelegramText(const QString& token, const QString& chatId, const QString& text,
                                      QObject* context, Done done)
{
    const QJsonObject body{{QStringLiteral("chat_id"), chatId}, {QStringLiteral("text"), text}};
    post(token, QStringLiteral("/sendMessage"), body, m_timeouts.standard, context,
         [done = std::move(done)](const Outcome&) {
             if (done)
                 done();
         });
}

void TelegramBotApi::sendWelcomeMessage(const QString& token, const QString& chatId, QObject* context,
                                        Done done)
{
    const QJsonObject body{{QStringLiteral("chat_id"), chatId},
                           {QStringLiteral("text"), TelegramTexts::welcomeText()}};
    post(token, QStringLiteral("/sendMessage"), body, m_timeouts.alert, context,
         [this, token, chatId, done = std::move(done)](const Outcome& outcome) {
             if (outcome.transportError || outcome.status != 200)
                 printFailure(token, QStringLiteral("Welcome"), outcome);
             else
                 print(token, QStringLiteral("[Telegram] Welcome message sent OK to chatId ") + chatId);
             if (done)
                 done();
         });
}

void TelegramBotApi::answerTelegramCallback(const QString& token, const QString& callbackId,
                                            const QString& text, QObject* context, Done done)
{
    const QJsonObject body{{QStringLiteral("callback_query_id"), callbackId},
                           {QStringLiteral("text"), text},
                           {QStringLiteral("show_alert"), false}};
    post(token, QStringLiteral("/answerCallbackQuery"), body, m_timeouts.standard, context,
         [done = std::move(done)](const Outcome&) {
             if (done)
                 done();
         });
}

void TelegramBotApi::getUpdatesAfter(const QString& token, qint64 offset, QObject* context, UpdatesDone done)
{
    const QString path = QStringLiteral("/getUpdates?offset=%1&timeout=0").arg(offset);
    get(token, path, m_timeouts.standard, context, [done = std::move(done)](const Outcome& outcome) {
        if (outcome.transportError)
            done(std::nullopt);
        else
            done(resultList(outcome.body));
    });
}

void TelegramBotApi::fetchAndSaveChatId(const QString& token, QObject* context, OptionalTextDone done)
{
    print(token, QStringLiteral("[Telegram] Deleting webhook..."));
    // A webhook makes getUpdates refuse to answer; whether the removal worked shows in the next step.
    get(token, QStringLiteral("/deleteWebhook"), m_timeouts.standard, context,
        [this, token, context, done = std::move(done)](const Outcome&) mutable {
            askForUpdatesAfterWebhookRemoval(token, context, std::move(done));
        });
}

void TelegramBotApi::askForUpdatesAfterWebhookRemoval(const QString& token, QObject* context,
                                                      OptionalTextDone done)
{
    print(token, QStringLiteral("[Telegram] Fetching updates..."));
    // No offset: nothing is confirmed, so the updates stay for the button polling.
    get(token, QStringLiteral("/getUpdates?limit=10"), m_timeouts.standard, context,
        [token, done = std::move(done)](const Outcome& outcome) {
            const auto updates = outcome.transportError ? std::nullopt : resultList(outcome.body);
            if (!updates) {
                print(token, QStringLiteral("[Telegram] getUpdates failed or returned unexpected format"));
                done(std::nullopt);
                return;
            }
            print(token, QStringLiteral("[Telegram] Got %1 updates").arg(updates->size()));
            const std::optional<QString> chatId = latestChatId(*updates);
            if (!chatId) {
                print(token, QStringLiteral("[Telegram] No chat ID found in updates — user needs to send "
                                            "/start to the bot"));
                done(std::nullopt);
                return;
            }
            Settings().setTelegramChatId(*chatId);
            print(token, QStringLiteral("[Telegram] Saved chatId: ") + *chatId);
            done(chatId);
        });
}

void TelegramBotApi::validateTelegramToken(const QString& token, QObject* context, OptionalTextDone done)
{
    get(token, QStringLiteral("/getMe"), m_timeouts.standard, context,
        [done = std::move(done)](const Outcome& outcome) {
            if (outcome.transportError || outcome.status != 200)
                return done(std::nullopt);
            const QJsonDocument document = QJsonDocument::fromJson(outcome.body);
            const QJsonValue username = document.object()[QLatin1String("result")][QLatin1String("username")];
            if (!document.isObject() || !username.isString())
                return done(std::nullopt);
            done(username.toString());
        });
}
