#include "monitor/SavedUpdateOffset.h"

#include "platform/Settings.h"

namespace SavedUpdateOffset {
namespace {

bool isStoredBot(const Settings& settings, const QString& token)
{
    const std::optional<QString> stored = settings.telegramBotToken();
    return stored && Settings::telegramBotIdOf(*stored) == Settings::telegramBotIdOf(token);
}

} // namespace

Position load(const QString& token, const QDateTime& now)
{
    const Settings settings;
    const std::optional<QDateTime> savedAt = settings.telegramLastUpdateAt();
    if (!isStoredBot(settings, token) || !savedAt)
        return {0, now};
    const qint64 ageSeconds = savedAt->secsTo(now);
    if (ageSeconds < 0 || ageSeconds >= std::chrono::seconds(lifetime).count())
        return {0, now};
    return {settings.telegramLastUpdateId(), *savedAt};
}

bool save(const QString& token, qint64 updateId, const QDateTime& now)
{
    Settings settings;
    if (!isStoredBot(settings, token))
        return false;
    settings.setTelegramLastUpdateId(updateId);
    settings.setTelegramLastUpdateAt(now);
    return true;
}

void forget()
{
    Settings settings;
    settings.remove(SettingsKey::telegramLastUpdateId);
    settings.remove(SettingsKey::telegramLastUpdateAt);
}

bool isStoredToken(const QString& token)
{
    return Settings().telegramBotToken() == token;
}

} // namespace SavedUpdateOffset
