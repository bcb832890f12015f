#include "app/TelegramSetupModel.h"

#include "app/AppNotifications.h"
#include "app/TelegramTokenText.h"
#include "backend/HalvexClient.h"
#include "monitor/TelegramBotApi.h"
#include "platform/Autostart.h"
#include "platform/HttpExchange.h"
#include "platform/HttpUrl.h"
#include "platform/PlatformWording.h"
#include "platform/Settings.h"

#include <QDesktopServices>
#include <QJsonDocument>
#include <QJsonObject>

TelegramSetupModel::TelegramSetupModel(QObject* parent) : TelegramSetupModel(Options{}, parent) {}

TelegramSetupModel::TelegramSetupModel(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options))
{
    if (!m_options.openUrl)
        m_options.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    if (!m_options.storeToken)
        m_options.storeToken = [](const QString& token) { Settings().setTelegramBotToken(token); };
    auto api = m_options.botApiOrigin.isEmpty() ? std::make_unique<TelegramBotApi>()
                                                : std::make_unique<TelegramBotApi>(m_options.botApiOrigin);
    m_chatIdSearch = new ChatIdSearch(std::move(api), this);
    m_chatIdSearch->setTiming(m_options.chatIdSearch);
    connect(m_chatIdSearch, &ChatIdSearch::connected, this, [this] {
        m_chatIdFound = true;
        m_pollingChatId = false;
        Q_EMIT chatIdChanged();
    });
    connect(m_chatIdSearch, &ChatIdSearch::gaveUp, this, [this] {
        m_pollingChatId = false;
        Q_EMIT chatIdChanged();
    });
}

TelegramSetupModel::~TelegramSetupModel() = default;

void TelegramSetupModel::setStep(int step)
{
    if (m_step == step)
        return;
    m_step = step;
    Q_EMIT stepChanged();
}

void TelegramSetupModel::next()
{
    if (m_step < TokenStep)
        setStep(m_step + 1);
}

void TelegramSetupModel::setBotToken(const QString& token)
{
    if (m_botToken == token)
        return;
    m_botToken = token;
    Q_EMIT botTokenChanged();
    if (!m_validatedUsername && !m_testError && !m_isTesting)
        return;
    ++m_test;
    m_validatedUsername.reset();
    m_testError.reset();
    m_isTesting = false;
    Q_EMIT verificationChanged();
}

bool TelegramSetupModel::canSave() const
{
    return m_validatedUsername && !TelegramTokenText::trimmed(m_botToken).isEmpty();
}

void TelegramSetupModel::testToken()
{
    const QString token = TelegramTokenText::trimmed(m_botToken);
    // Once finished, the window's search and its Bot API went on without it.
    if (token.isEmpty() || !m_chatIdSearch)
        return;
    m_isTesting = true;
    m_testError.reset();
    m_validatedUsername.reset();
    Q_EMIT verificationChanged();
    const quint64 test = ++m_test;
    m_chatIdSearch->api().checkTelegramToken(
        token, this, [this, test](const TelegramBotApi::TokenCheck& check) {
            if (test != m_test)
                return;
            m_isTesting = false;
            switch (check.verdict) {
            case TelegramBotApi::TokenCheck::Verdict::Valid:
                m_validatedUsername = check.username;
                break;
            case TelegramBotApi::TokenCheck::Verdict::Unreachable:
                m_testError = QString::fromLatin1(TelegramTokenText::unreachable);
                break;
            case TelegramBotApi::TokenCheck::Verdict::Invalid:
                m_testError = QString::fromLatin1(TelegramTokenText::invalidToken);
                break;
            }
            Q_EMIT verificationChanged();
        });
}

void TelegramSetupModel::saveAndContinue()
{
    if (!canSave())
        return;
    const QString token = TelegramTokenText::trimmed(m_botToken);
    m_options.storeToken(token);
    postChatIdToBackend(token);
    setStep(DoneStep);
    // The last step waits for the user's /start from the moment it shows.
    startPollingChatId();
}

// The backend finds the chat of the new bot itself; whether it answers does not matter here.
void TelegramSetupModel::postChatIdToBackend(const QString& token)
{
    const std::optional<QString> configured = Settings().serverURL();
    const QUrl base = configured ? HttpUrl::parseBase(*configured).value_or(HalvexClient::defaultApiURL())
                                 : HalvexClient::defaultApiURL();
    HttpCall call;
    call.method = "POST";
    call.url = HttpUrl::appendPath(base, QStringLiteral("api/config/chat-id"));
    call.jsonBody =
        QJsonDocument(QJsonObject{{QStringLiteral("token"), token}}).toJson(QJsonDocument::Compact);
    call.timeoutMs = m_options.chatIdPostTimeoutMs;
    HttpExchange::send(m_network, call, this, [](const HttpOutcome&) {});
}

void TelegramSetupModel::startPollingChatId()
{
    const QString token = TelegramTokenText::trimmed(m_botToken);
    if (token.isEmpty() || m_pollingChatId || m_chatIdFound || !m_chatIdSearch)
        return;
    m_pollingChatId = true;
    Q_EMIT chatIdChanged();
    m_chatIdSearch->start(token);
}

void TelegramSetupModel::openBotFather()
{
    m_options.openUrl(QUrl(QString::fromLatin1(TelegramTokenText::botFatherLink)));
}

void TelegramSetupModel::openMyBot()
{
    if (m_validatedUsername)
        m_options.openUrl(QUrl(TelegramTokenText::botLink(*m_validatedUsername)));
}

void TelegramSetupModel::finish()
{
    // Finishing the set-up window is finishing onboarding: the first time, start at login turns on.
    Autostart::enableAfterFirstOnboarding(Settings().hasOnboarded());
    Settings().setHasOnboarded(true);
    // The user may send /start only now: a search still waiting goes on without the window.
    if (m_chatIdSearch && m_chatIdSearch->isRunning() && m_options.keepSearching) {
        ChatIdSearch* search = m_chatIdSearch;
        m_chatIdSearch = nullptr;
        search->disconnect(this);
        search->setParent(nullptr);
        m_options.keepSearching(std::unique_ptr<ChatIdSearch>(search));
    }
    AppNotifications::instance().post(QString::fromLatin1(AppNotifications::onboardingDone));
    Q_EMIT finished();
}

QString TelegramSetupModel::welcomeText() const
{
    return PlatformWording::adapt(QStringLiteral("Your Mac is now protected. Let's set up alerts together."),
                                  m_options.platform);
}

QString TelegramSetupModel::trayHint() const
{
    if (!m_options.trayShown)
        return QStringLiteral(
            "This desktop shows no tray icons: open Halvex from your applications to bring my "
            "window back.");
    return PlatformWording::adapt(QStringLiteral("You'll find me in the menu bar, top right of your screen."),
                                  m_options.platform);
}

QString TelegramSetupModel::tokenPlaceholder() const
{
    return QString::fromUtf8(TelegramTokenText::placeholder);
}

QString TelegramSetupModel::tokenShapeHint() const
{
    return QString::fromUtf8(TelegramTokenText::shapeHint);
}

QString TelegramSetupModel::doneTitle() const
{
    return m_chatIdFound ? QStringLiteral("Telegram is connected!")
                         : QStringLiteral("Open your bot on Telegram and send /start to activate alerts.");
}

QString TelegramSetupModel::doneText() const
{
    return m_chatIdFound
               ? QStringLiteral(
                     "As soon as an app accesses your camera or mic, you'll get an alert on Telegram.")
               : QStringLiteral("Open your Telegram bot and send /start — waiting for confirmation...");
}

QString TelegramSetupModel::doneIcon() const
{
    return m_chatIdFound ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("paperplane.circle.fill");
}
