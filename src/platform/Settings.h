#pragma once

#include <QDateTime>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>

// Every key of the per-user settings store, by its exact name, type and default. The rest of the
// program reads and writes settings only through this facade. Instances are cheap: QSettings objects
// of one process share their cache, so a value written through one is read through any other.
namespace SettingsKey {
inline constexpr char serverURL[] = "serverURL";
inline constexpr char refreshInterval[] = "refreshInterval";
inline constexpr char automationProfile[] = "automationProfile";
inline constexpr char hasOnboarded[] = "hasOnboarded";
inline constexpr char telegramBotToken[] = "telegramBotToken";
inline constexpr char telegramChatId[] = "telegramChatId";
inline constexpr char telegramLastUpdateId[] = "telegramLastUpdateId";
inline constexpr char telegramLastUpdateAt[] = "telegramLastUpdateAt";
inline constexpr char telegramOfferedButtons[] = "telegramOfferedButtons";
inline constexpr char backendWorkDir[] = "backendWorkDir";
inline constexpr char cmdHistory[] = "cmdHistory";
inline constexpr char protectionEnabled[] = "protectionEnabled";
inline constexpr char autoCleanEnabled[] = "autoCleanEnabled";
inline constexpr char autoCleanRAM[] = "autoCleanRAM";
inline constexpr char autoCleanRAMThreshold[] = "autoCleanRAMThreshold";
inline constexpr char autoCleanCache[] = "autoCleanCache";
inline constexpr char autoCleanTempFiles[] = "autoCleanTempFiles";
inline constexpr char autoCleanIntervalHours[] = "autoCleanIntervalHours";
inline constexpr char privacyLevel[] = "privacyLevel";
inline constexpr char privacyWhitelist[] = "privacyWhitelist";
inline constexpr char analyticsDidInstall[] = "analyticsDidInstall";
inline constexpr char analyticsDeviceId[] = "analyticsDeviceId";
inline constexpr char journalAlerts[] = "journalAlerts";
} // namespace SettingsKey

class Settings
{
public:
    Settings();

    std::optional<QString> serverURL() const;
    // Seconds; absent, not a number, or not above zero means 5.
    double refreshInterval() const;

    std::optional<QString> automationProfile() const;
    void setAutomationProfile(const QString& profile);

    bool hasOnboarded() const;
    void setHasOnboarded(bool done);

    std::optional<QString> telegramBotToken() const;
    void setTelegramBotToken(const QString& token);
    std::optional<QString> telegramChatId() const;
    void setTelegramChatId(const QString& chatId);
    // The highest Telegram update already handled, so a restart does not obey a button press twice.
    // 0 when none. Setting a token of another bot forgets it: update ids belong to one bot.
    qint64 telegramLastUpdateId() const;
    void setTelegramLastUpdateId(qint64 updateId);
    // When the last update id was saved; none when unknown.
    std::optional<QDateTime> telegramLastUpdateAt() const;
    void setTelegramLastUpdateAt(const QDateTime& at);
    // "<bot id>:<secret>": the part before the colon names the bot, whatever its secret.
    static QString telegramBotIdOf(const QString& token);

    QString backendWorkDir() const;

    QStringList cmdHistory() const;
    void setCmdHistory(const QStringList& history);

    bool protectionEnabled() const;
    void setProtectionEnabled(bool enabled);

    bool autoCleanEnabled() const;
    void setAutoCleanEnabled(bool enabled);
    bool autoCleanRAM() const;
    void setAutoCleanRAM(bool enabled);
    double autoCleanRAMThreshold() const;
    void setAutoCleanRAMThreshold(double percent);
    bool autoCleanCache() const;
    void setAutoCleanCache(bool enabled);
    bool autoCleanTempFiles() const;
    void setAutoCleanTempFiles(bool enabled);
    double autoCleanIntervalHours() const;
    void setAutoCleanIntervalHours(double hours);

    int privacyLevel() const;
    void setPrivacyLevel(int level);
    QString privacyWhitelist() const;
    void setPrivacyWhitelist(const QString& whitelist);

    bool analyticsDidInstall() const;
    void setAnalyticsDidInstall(bool done);
    std::optional<QString> analyticsDeviceId() const;
    void setAnalyticsDeviceId(const QString& id);

    // Each stored alert also goes to the systemd journal; on unless turned off.
    bool journalAlerts() const;
    void setJournalAlerts(bool enabled);

    void remove(const char* key);
    bool contains(const char* key) const;

    // Raw access for keys whose rules live with their owner.
    QVariant value(const char* key) const;
    void setValue(const char* key, const QVariant& value);

    QString fileName() const;

private:
    bool boolValue(const char* key, bool fallback) const;
    double numberValue(const char* key, double fallback) const;
    std::optional<QString> stringValue(const char* key) const;
    void write(const char* key, const QVariant& value);
    void protectFile();

    std::unique_ptr<QSettings> m_store;
};
