#include "monitor/TelegramBotApi.h"

#include "monitor/TelegramTexts.h"
#include "monitor/TelegramUpdate.h"
#include "platform/Diagnostics.h"
#include "platform/HttpUrl.h"
#include "platform/Settings.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QStringDecoder>

namespace {

const QString publicOrigin = QStringLiteral("https://api.telegram.org");

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
    if (!HttpUrl::parseBase(m_origin))
        return {};
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

void TelegramBotApi::call(const QByteArray& method, const QString& token, const QString& methodPath,
                          std::optional<QJsonObject> body, std::chrono::milliseconds timeout,
                          QObject* context, HttpExchange::Callback done)
{
    HttpCall request{method, methodUrl(token, methodPath), std::nullopt, int(timeout.count())};
    if (body)
        request.jsonBody = QJsonDocument(*body).toJson(QJsonDocument::Compact);
    ++m_pendingRequests;
    // The count must drop even when the caller is gone, so the caller's guard is kept here.
    QPointer<TelegramBotApi> self(this);
    QPointer<QObject> guard(context);
    const bool hasContext = context != nullptr;
    HttpExchange::send(*m_network, request, nullptr,
                       [self, guard, hasContext, done = std::move(done)](const HttpOutcome& outcome) {
                           if (!self)
                               return;
                           --self->m_pendingRequests;
                           if (done && (!hasContext || guard))
                               done(outcome);
                       });
}

void TelegramBotApi::printFailure(const QString& token, const QString& lead, const HttpOutcome& outcome) const
{
    if (!outcome.isHttpReply())
        print(token, QStringLiteral("[Telegram] %1 ERROR: ").arg(lead) + outcome.error);
    else
        print(token, QStringLiteral("[Telegram] %1 FAILED (HTTP %2): ").arg(lead).arg(*outcome.status) +
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
    call("POST", token, QStringLiteral("/sendMessage"), body, m_timeouts.alert, nullptr,
         [this, token](const HttpOutcome& outcome) {
             if (!outcome.isOk())
                 printFailure(token, QStringLiteral("Send"), outcome);
         });
}

void TelegramBotApi::sendTelegramText(const QString& token, const QString& chatId, const QString& text,
                                      QObject* context, Done done)
{
    const QJsonObject body{{QStringLiteral("chat_id"), chatId}, {QStringLiteral("text"), text}};
    call("POST", token, QStringLiteral("/sendMessage"), body, m_timeouts.standard, context,
         [done = std::move(done)](const HttpOutcome&) {
             if (done)
                 done();
         });
}

void TelegramBotApi::sendWelcomeMessage(const QString& token, const QString& chatId, QObject* context,
                                        Done done)
{
    const QJsonObject body{{QStringLiteral("chat_id"), chatId},
                           {QStringLiteral("text"), TelegramTexts::welcomeText()}};
    call("POST", token, QStringLiteral("/sendMessage"), body, m_timeouts.alert, context,
         [this, token, chatId, done = std::move(done)](const HttpOutcome& outcome) {
             if (!outcome.isOk())
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
    call("POST", token, QStringLiteral("/answerCallbackQuery"), body, m_timeouts.standard, context,
         [done = std::move(done)](const HttpOutcome&) {
             if (done)
                 done();
         });
}

void TelegramBotApi::getUpdatesAfter(const QString& token, qint64 offset, QObject* context, UpdatesDone done)
{
    const QString path = QStringLiteral("/getUpdates?offset=%1&timeout=0").arg(offset);
    call("GET", token, path, std::nullopt, m_timeouts.standard, context,
         [done = std::move(done)](const HttpOutcome& outcome) {
             done(outcome.isHttpReply() ? resultList(outcome.body) : std::nullopt);
         });
}

void TelegramBotApi::peekUpdates(const QString& token, int limit, QObject* context, UpdatesDone done)
{
    const QString path = QStringLiteral("/getUpdates?limit=%1&timeout=0").arg(limit);
    call("GET", token, path, std::nullopt, m_timeouts.standard, context,
         [done = std::move(done)](const HttpOutcome& outcome) {
             done(outcome.isHttpReply() ? resultList(outcome.body) : std::nullopt);
         });
}

void TelegramBotApi::fetchAndSaveChatId(const QString& token, QObject* context, OptionalTextDone done)
{
    fetchChatId(token, context, [token, done = std::move(done)](const std::optional<QString>& chatId) {
        if (chatId) {
            Settings().setTelegramChatId(*chatId);
            print(token, QStringLiteral("[Telegram] Saved chatId: ") + *chatId);
        }
        done(chatId);
    });
}

void TelegramBotApi::fetchChatId(const QString& token, QObject* context, OptionalTextDone done)
{
    print(token, QStringLiteral("[Telegram] Deleting webhook..."));
    // A webhook makes getUpdates refuse to answer; whether the removal worked shows in the next step.
    call("GET", token, QStringLiteral("/deleteWebhook"), std::nullopt, m_timeouts.standard, context,
         [this, token, context, done = std::move(done)](const HttpOutcome&) mutable {
             askForUpdatesAfterWebhookRemoval(token, context, std::move(done));
         });
}

void TelegramBotApi::askForUpdatesAfterWebhookRemoval(const QString& token, QObject* context,
                                                      OptionalTextDone done)
{
    print(token, QStringLiteral("[Telegram] Fetching updates..."));
    // No offset: nothing is confirmed, so the updates stay for the button polling.
    call("GET", token, QStringLiteral("/getUpdates?limit=10"), std::nullopt, m_timeouts.standard, context,
         [token, done = std::move(done)](const HttpOutcome& outcome) {
             const auto updates = outcome.isHttpReply() ? resultList(outcome.body) : std::nullopt;
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
             done(chatId);
         });
}

void TelegramBotApi::validateTelegramToken(const QString& token, QObject* context, OptionalTextDone done)
{
    checkTelegramToken(token, context, [done = std::move(done)](const TokenCheck& check) {
        done(check.verdict == TokenCheck::Verdict::Valid ? std::optional(check.username) : std::nullopt);
    });
}

void TelegramBotApi::checkTelegramToken(const QString& token, QObject* context,
                                        std::function<void(const TokenCheck&)> done)
{
    call("GET", token, QStringLiteral("/getMe"), std::nullopt, m_timeouts.standard, context,
         [done = std::move(done)](const HttpOutcome& outcome) {
             using Verdict = TokenCheck::Verdict;
             if (!outcome.isHttpReply())
                 return done({Verdict::Unreachable, {}});
             if (!outcome.isOk())
                 return done({Verdict::Invalid, {}});
             const QJsonDocument document = QJsonDocument::fromJson(outcome.body);
             const QJsonValue username =
                 document.object()[QLatin1String("result")][QLatin1String("username")];
             if (!document.isObject() || !username.isString())
                 return done({Verdict::Invalid, {}});
             done({Verdict::Valid, username.toString()});
         });
}
