#include "app/TelegramCardModel.h"

#include "app/AppState.h"
#include "app/TelegramTokenText.h"
#include "backend/HalvexClient.h"
#include "model/L10n.h"
#include "platform/PlatformWording.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>

TelegramCardModel::TelegramCardModel(AppState& state, QObject* parent)
    : TelegramCardModel(state, Options{}, parent)
{
}

TelegramCardModel::TelegramCardModel(AppState& state, Options options, QObject* parent)
    : QObject(parent), m_state(state), m_options(std::move(options))
{
    if (!m_options.openUrl)
        m_options.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    if (!m_options.clipboardText)
        m_options.clipboardText = [] {
            const QClipboard* clipboard = QGuiApplication::clipboard();
            return clipboard ? clipboard->text() : QString();
        };
    connect(&m_state, &AppState::telegramStatusChanged, this, &TelegramCardModel::cardStateChanged);
    connect(&m_state, &AppState::isConnectedChanged, this, &TelegramCardModel::cardStateChanged);
}

// A known status wins over the connection: with the backend down the last known state stays.
int TelegramCardModel::cardState() const
{
    const std::optional<TelegramStatus>& status = m_state.telegramStatus();
    if (status)
        return status->configured ? Connected : Pending;
    return m_state.isConnected() ? Setup : Unavailable;
}

QString TelegramCardModel::botUsername() const
{
    const std::optional<TelegramStatus>& status = m_state.telegramStatus();
    return status ? status->botUsername : QString();
}

QString TelegramCardModel::controlsText() const
{
    const QString name = botUsername();
    return PlatformWording::adapt(L10n::tgControlsMac(name.isEmpty() ? QStringLiteral("bot") : name),
                                  m_options.platform);
}

QString TelegramCardModel::openBotLabel() const
{
    return QStringLiteral("Open @") + botUsername();
}

QString TelegramCardModel::botLinkText() const
{
    return QStringLiteral("t.me/") + botUsername();
}

void TelegramCardModel::setBotToken(const QString& token)
{
    if (m_botToken == token)
        return;
    m_botToken = token;
    m_saveError.clear();
    Q_EMIT botTokenChanged();
}

bool TelegramCardModel::canSave() const
{
    return !m_savingToken && !TelegramTokenText::trimmed(m_botToken).isEmpty();
}

bool TelegramCardModel::messageIsSuccess() const
{
    return m_telegramMessage && m_telegramMessage->contains(QChar(0x2705));
}

QString TelegramCardModel::setupLine() const
{
    return PlatformWording::adapt(QStringLiteral("Control your Mac remotely via Telegram"),
                                  m_options.platform);
}

QString TelegramCardModel::tip() const
{
    return TelegramTokenText::pasteTip(m_options.platform);
}

QString TelegramCardModel::tipWords() const
{
    return TelegramTokenText::pasteTipWords(m_options.platform);
}

QString TelegramCardModel::tokenPlaceholder() const
{
    return QString::fromUtf8(TelegramTokenText::placeholder);
}

void TelegramCardModel::paste()
{
    const QString text = TelegramTokenText::pasted(m_options.clipboardText());
    if (!text.isEmpty())
        setBotToken(text);
}

void TelegramCardModel::save()
{
    const QString token = TelegramTokenText::trimmed(m_botToken);
    if (token.isEmpty() || m_savingToken)
        return;
    m_savingToken = true;
    Q_EMIT busyChanged();
    Q_EMIT botTokenChanged(); // canSave
    m_saveError.clear();
    m_state.client().storeTelegramToken(token, this, [this](const HalvexClient::TokenSaveOutcome& outcome) {
        if (outcome.saved)
            m_state.loadTelegramStatus();
        m_savingToken = false;
        Q_EMIT busyChanged();
        // A token that was not taken stays in the field, to be corrected or sent again.
        if (outcome.saved)
            m_botToken.clear();
        else
            m_saveError = outcome.refusal.value_or(
                QStringLiteral("The token was not saved: the backend did not store it."));
        Q_EMIT botTokenChanged();
    });
}

void TelegramCardModel::authorize()
{
    if (m_authorizing)
        return;
    m_authorizing = true;
    m_telegramMessage.reset();
    m_telegramInstructions.reset();
    Q_EMIT busyChanged();
    Q_EMIT authorizationChanged();
    m_state.client().authorizeTelegram(this, [this](const std::optional<TelegramAuthResult>& result) {
        if (result && result->success)
            m_state.loadTelegramStatus();
        m_authorizing = false;
        m_telegramMessage = result ? result->message : std::nullopt;
        m_telegramInstructions = result ? result->instructions : std::nullopt;
        Q_EMIT busyChanged();
        Q_EMIT authorizationChanged();
    });
}

void TelegramCardModel::setShowDisconnectConfirm(bool show)
{
    if (m_showDisconnectConfirm == show)
        return;
    m_showDisconnectConfirm = show;
    Q_EMIT showDisconnectConfirmChanged();
}

void TelegramCardModel::requestDisconnect()
{
    if (!m_disconnecting)
        setShowDisconnectConfirm(true);
}

void TelegramCardModel::cancelDisconnect()
{
    setShowDisconnectConfirm(false);
}

void TelegramCardModel::confirmDisconnect()
{
    setShowDisconnectConfirm(false);
    if (m_disconnecting)
        return;
    m_disconnecting = true;
    Q_EMIT busyChanged();
    m_state.client().disconnectTelegram(this, [this](bool ok) {
        if (ok)
            m_state.loadTelegramStatus();
        m_disconnecting = false;
        Q_EMIT busyChanged();
    });
}

void TelegramCardModel::openBot()
{
    m_options.openUrl(QUrl(TelegramTokenText::botLink(botUsername())));
}

void TelegramCardModel::openBotFather()
{
    m_options.openUrl(QUrl(QString::fromLatin1(TelegramTokenText::botFatherLink)));
}
