#include "app/OnboardingModel.h"

#include "app/AppState.h"
#include "app/TelegramTokenText.h"
#include "platform/PlatformWording.h"
#include "platform/Settings.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>

OnboardingModel::OnboardingModel(AppState& state, QObject* parent) : OnboardingModel(state, Options{}, parent)
{
}

OnboardingModel::OnboardingModel(AppState& state, Options options, QObject* parent)
    : QObject(parent), m_state(state), m_options(std::move(options))
{
    if (!m_options.openUrl)
        m_options.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    if (!m_options.clipboardText)
        m_options.clipboardText = [] {
            const QClipboard* clipboard = QGuiApplication::clipboard();
            return clipboard ? clipboard->text() : QString();
        };
    // The set-up window may have connected the bot already: only the profile is left to choose.
    if (Settings().telegramBotToken().value_or(QString()).size() > 0)
        m_step = ProfileStep;
}

void OnboardingModel::setStep(int step)
{
    if (m_step == step)
        return;
    m_step = step;
    Q_EMIT stepChanged();
}

void OnboardingModel::setBotToken(const QString& token)
{
    if (m_botToken == token)
        return;
    m_botToken = token;
    Q_EMIT botTokenChanged();
}

bool OnboardingModel::canSave() const
{
    return !TelegramTokenText::trimmed(m_botToken).isEmpty();
}

QString OnboardingModel::tokenTitle() const
{
    return PlatformWording::adapt(QStringLiteral("Control your Mac remotely via Telegram"),
                                  m_options.platform);
}

QString OnboardingModel::tip() const
{
    return TelegramTokenText::pasteTip(m_options.platform);
}

QString OnboardingModel::welcomeText() const
{
    return PlatformWording::adapt(
        QStringLiteral("Your Mac is now protected. Choose your monitoring level to get started."),
        m_options.platform);
}

QString OnboardingModel::tipWords() const
{
    return TelegramTokenText::pasteTipWords(m_options.platform);
}

QString OnboardingModel::tokenPlaceholder() const
{
    return QString::fromUtf8(TelegramTokenText::placeholder);
}

void OnboardingModel::paste()
{
    const QString text = TelegramTokenText::pasted(m_options.clipboardText());
    if (!text.isEmpty())
        setBotToken(text);
}

void OnboardingModel::save()
{
    if (!canSave())
        return;
    m_state.backend().saveBotToken(m_botToken);
    setStep(ProfileStep);
}

void OnboardingModel::skipToken()
{
    setStep(ProfileStep);
}

void OnboardingModel::openBotFather()
{
    m_options.openUrl(QUrl(QString::fromLatin1(TelegramTokenText::botFatherLink)));
}

void OnboardingModel::setPendingProfile(std::optional<QString> profile)
{
    if (m_pendingProfile == profile)
        return;
    m_pendingProfile = std::move(profile);
    Q_EMIT pendingProfileChanged();
}

void OnboardingModel::selectProfile(const QString& profile)
{
    setPendingProfile(profile);
}

void OnboardingModel::confirmProfile()
{
    if (!m_pendingProfile)
        return;
    m_state.applyProfile(*m_pendingProfile);
    m_state.setHasOnboarded(true);
    m_state.backend().autoLaunchIfNeeded();
    setPendingProfile(std::nullopt);
}

void OnboardingModel::cancelProfile()
{
    setPendingProfile(std::nullopt);
}

void OnboardingModel::dismiss()
{
    m_state.setHasOnboarded(true);
}
