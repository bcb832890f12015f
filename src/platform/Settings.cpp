#include "platform/Settings.h"

#include "platform/SettingsChanges.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr double defaultRefreshInterval = 5.0;
// A tiny period makes a busy loop and a huge one overflows the timer's milliseconds.
constexpr double shortestRefreshInterval = 1.0;
constexpr double longestRefreshInterval = 3600.0;

// The files this process has already protected. Later instances trust them: QSettings rewrites a file
// through a save file that keeps its permissions.
bool firstOpening(const QString& path)
{
    static QMutex mutex;
    static QSet<QString> opened;
    const QMutexLocker lock(&mutex);
    if (opened.contains(path))
        return false;
    opened.insert(path);
    return true;
}

// Values read back from the file are text; a value set in this process keeps its type.
bool sameValue(const QVariant& stored, const QVariant& value)
{
    if (stored == value)
        return true;
    return stored.typeId() == QMetaType::QString && value.typeId() != QMetaType::QStringList &&
           value.canConvert<QString>() && stored.toString() == value.toString();
}

// QSettings writes whole lines through a save file, so a file that does not end in a line feed was cut
// short by something else (a full disk, an interrupted copy). Its last line may hold a value cut
// anywhere ("tr" for "true", half a token): without it that key reads as its default instead.
void dropTornLastLine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0 || !file.seek(file.size() - 1))
        return;
    char last = 0;
    if (!file.getChar(&last) || last == '\n')
        return;
    file.close();
    // Cut through the descriptor that was read: a whole file renamed into place meanwhile is not touched.
    if (!file.open(QIODevice::ReadWrite))
        return;
    const QByteArray bytes = file.readAll();
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        file.resize(bytes.lastIndexOf('\n') + 1);
}

// macOS keeps the per-user defaults domain. Elsewhere the file's place follows the current home
// directory (XDG), looked up afresh, so a process whose HOME changes follows it.
std::unique_ptr<QSettings> openStore(bool& first)
{
    first = false;
#ifdef Q_OS_MACOS
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Halvex"), QStringLiteral("Halvex"));
#else
    const QString file = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/Halvex/Halvex.conf");
    first = firstOpening(file);
    dropTornLastLine(file);
    return std::make_unique<QSettings>(file, QSettings::NativeFormat);
#endif
}

// Revoking a token's secret keeps the bot and its update sequence.
QString botIdOf(const std::optional<QString>& token)
{
    return token ? Settings::telegramBotIdOf(*token) : QString();
}

} // namespace

Settings::Settings()
{
    bool first = false;
    m_store = openStore(first);
    if (first || !QFileInfo::exists(m_store->fileName()))
        protectFile();
}

// The file holds the bot token: on systems where it is a plain file it is created owner-only and kept
// so. QSettings rewrites it through a save file that keeps the existing file's permissions.
void Settings::protectFile()
{
#ifndef Q_OS_MACOS
    const QString path = m_store->fileName();
    if (path.isEmpty())
        return;
    const QByteArray native = QFile::encodeName(path);
    if (!QFileInfo::exists(path)) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
    }
    ::chmod(native.constData(), 0600);
#endif
}

QVariant Settings::value(const char* key) const
{
    return m_store->value(QLatin1String(key));
}

void Settings::setValue(const char* key, const QVariant& value)
{
    write(key, value);
}

void Settings::write(const char* key, const QVariant& value)
{
    if (m_store->contains(QLatin1String(key)) && sameValue(m_store->value(QLatin1String(key)), value))
        return;
    m_store->setValue(QLatin1String(key), value);
    m_store->sync();
    protectFile();
    Q_EMIT SettingsChanges::instance().changed(QLatin1String(key));
}

void Settings::remove(const char* key)
{
    if (!m_store->contains(QLatin1String(key)))
        return;
    m_store->remove(QLatin1String(key));
    m_store->sync();
    protectFile();
    Q_EMIT SettingsChanges::instance().changed(QLatin1String(key));
}

bool Settings::contains(const char* key) const
{
    return m_store->contains(QLatin1String(key));
}

QString Settings::fileName() const
{
    return m_store->fileName();
}

bool Settings::boolValue(const char* key, bool fallback) const
{
    const QVariant v = value(key);
    return v.isValid() ? v.toBool() : fallback;
}

double Settings::numberValue(const char* key, double fallback) const
{
    bool ok = false;
    const double number = value(key).toDouble(&ok);
    return ok ? number : fallback;
}

std::optional<QString> Settings::stringValue(const char* key) const
{
    const QVariant v = value(key);
    if (!v.isValid())
        return std::nullopt;
    return v.toString();
}

std::optional<QString> Settings::serverURL() const
{
    return stringValue(SettingsKey::serverURL);
}

double Settings::refreshInterval() const
{
    const double seconds = numberValue(SettingsKey::refreshInterval, defaultRefreshInterval);
    if (!(seconds > 0))
        return defaultRefreshInterval;
    return std::clamp(seconds, shortestRefreshInterval, longestRefreshInterval);
}

std::optional<QString> Settings::automationProfile() const
{
    return stringValue(SettingsKey::automationProfile);
}
void Settings::setAutomationProfile(const QString& profile)
{
    write(SettingsKey::automationProfile, profile);
}

bool Settings::hasOnboarded() const
{
    return boolValue(SettingsKey::hasOnboarded, false);
}
void Settings::setHasOnboarded(bool done)
{
    write(SettingsKey::hasOnboarded, done);
}

std::optional<QString> Settings::telegramBotToken() const
{
    return stringValue(SettingsKey::telegramBotToken);
}
void Settings::setTelegramBotToken(const QString& token)
{
    if (botIdOf(telegramBotToken()) != botIdOf(token)) {
        remove(SettingsKey::telegramLastUpdateId);
        remove(SettingsKey::telegramLastUpdateAt);
    }
    write(SettingsKey::telegramBotToken, token);
}
std::optional<QString> Settings::telegramChatId() const
{
    return stringValue(SettingsKey::telegramChatId);
}
void Settings::setTelegramChatId(const QString& chatId)
{
    write(SettingsKey::telegramChatId, chatId);
}
qint64 Settings::telegramLastUpdateId() const
{
    bool ok = false;
    const qint64 updateId = value(SettingsKey::telegramLastUpdateId).toLongLong(&ok);
    return ok ? updateId : 0;
}
void Settings::setTelegramLastUpdateId(qint64 updateId)
{
    write(SettingsKey::telegramLastUpdateId, updateId);
}
std::optional<QDateTime> Settings::telegramLastUpdateAt() const
{
    const QDateTime at =
        QDateTime::fromString(value(SettingsKey::telegramLastUpdateAt).toString(), Qt::ISODate);
    if (!at.isValid())
        return std::nullopt;
    return at;
}
void Settings::setTelegramLastUpdateAt(const QDateTime& at)
{
    write(SettingsKey::telegramLastUpdateAt, at.toUTC().toString(Qt::ISODate));
}
QString Settings::telegramBotIdOf(const QString& token)
{
    return token.section(QLatin1Char(':'), 0, 0);
}

QString Settings::backendWorkDir() const
{
    return stringValue(SettingsKey::backendWorkDir)
        .value_or(QDir::homePath() + QStringLiteral("/Documents/GitHub/www/halvex"));
}

QStringList Settings::cmdHistory() const
{
    return value(SettingsKey::cmdHistory).toStringList();
}
void Settings::setCmdHistory(const QStringList& history)
{
    write(SettingsKey::cmdHistory, history);
}

bool Settings::protectionEnabled() const
{
    return boolValue(SettingsKey::protectionEnabled, true);
}
void Settings::setProtectionEnabled(bool enabled)
{
    write(SettingsKey::protectionEnabled, enabled);
}

bool Settings::autoCleanEnabled() const
{
    return boolValue(SettingsKey::autoCleanEnabled, false);
}
void Settings::setAutoCleanEnabled(bool enabled)
{
    write(SettingsKey::autoCleanEnabled, enabled);
}
bool Settings::autoCleanRAM() const
{
    return boolValue(SettingsKey::autoCleanRAM, true);
}
void Settings::setAutoCleanRAM(bool enabled)
{
    write(SettingsKey::autoCleanRAM, enabled);
}
double Settings::autoCleanRAMThreshold() const
{
    return numberValue(SettingsKey::autoCleanRAMThreshold, 80);
}
void Settings::setAutoCleanRAMThreshold(double percent)
{
    write(SettingsKey::autoCleanRAMThreshold, percent);
}
bool Settings::autoCleanCache() const
{
    return boolValue(SettingsKey::autoCleanCache, true);
}
void Settings::setAutoCleanCache(bool enabled)
{
    write(SettingsKey::autoCleanCache, enabled);
}
bool Settings::autoCleanTempFiles() const
{
    return boolValue(SettingsKey::autoCleanTempFiles, false);
}
void Settings::setAutoCleanTempFiles(bool enabled)
{
    write(SettingsKey::autoCleanTempFiles, enabled);
}
double Settings::autoCleanIntervalHours() const
{
    return numberValue(SettingsKey::autoCleanIntervalHours, 24);
}
void Settings::setAutoCleanIntervalHours(double hours)
{
    write(SettingsKey::autoCleanIntervalHours, hours);
}

int Settings::privacyLevel() const
{
    return int(numberValue(SettingsKey::privacyLevel, 1));
}
void Settings::setPrivacyLevel(int level)
{
    write(SettingsKey::privacyLevel, level);
}
QString Settings::privacyWhitelist() const
{
    return stringValue(SettingsKey::privacyWhitelist).value_or(QString());
}
void Settings::setPrivacyWhitelist(const QString& whitelist)
{
    write(SettingsKey::privacyWhitelist, whitelist);
}

bool Settings::analyticsDidInstall() const
{
    return boolValue(SettingsKey::analyticsDidInstall, false);
}
void Settings::setAnalyticsDidInstall(bool done)
{
    write(SettingsKey::analyticsDidInstall, done);
}
std::optional<QString> Settings::analyticsDeviceId() const
{
    return stringValue(SettingsKey::analyticsDeviceId);
}
void Settings::setAnalyticsDeviceId(const QString& id)
{
    write(SettingsKey::analyticsDeviceId, id);
}

bool Settings::journalAlerts() const
{
    return boolValue(SettingsKey::journalAlerts, true);
}
void Settings::setJournalAlerts(bool enabled)
{
    write(SettingsKey::journalAlerts, enabled);
}
