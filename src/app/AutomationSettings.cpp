#include "app/AutomationSettings.h"

#include "model/L10n.h"
#include "model/PrivacyWhitelist.h"
#include "platform/Settings.h"

#include <QVariantMap>

#include <algorithm>
#include <cmath>

namespace {
struct KnownApp
{
    const char* key;
    const char* label;
    const char* symbol;
};
constexpr KnownApp knownAppTable[] = {
    {"zoom", "Zoom", "video.fill"},         {"facetime", "FaceTime", "video.circle.fill"},
    {"teams", "Teams", "person.3.fill"},    {"safari", "Safari", "safari.fill"},
    {"chrome", "Google Chrome", "globe"},   {"firefox", "Firefox", "flame.fill"},
    {"discord", "Discord", "message.fill"}, {"slack", "Slack", "number"},
    {"skype", "Skype", "phone.fill"},       {"obs", "OBS Studio", "record.circle"},
    {"loom", "Loom", "play.circle.fill"},   {"photobooth", "Photo Booth", "camera.fill"},
};
} // namespace

template <typename T>
void AutomationSettings::store(T value, T (Settings::*read)() const, void (Settings::*write)(T))
{
    Settings settings;
    if ((settings.*read)() == value)
        return;
    (settings.*write)(value);
    Q_EMIT changed();
}

int AutomationSettings::privacyLevel() const
{
    return Settings().privacyLevel();
}

void AutomationSettings::setPrivacyLevel(int level)
{
    store(level, &Settings::privacyLevel, &Settings::setPrivacyLevel);
}

QString AutomationSettings::privacyWhitelist() const
{
    return Settings().privacyWhitelist();
}

QStringList AutomationSettings::whitelistKeys() const
{
    return toggledWhitelist(privacyWhitelist(), QString()).split(u',', Qt::SkipEmptyParts);
}

bool AutomationSettings::privacyAutoActive() const
{
    return privacyLevel() != 1 || !privacyWhitelist().isEmpty();
}

bool AutomationSettings::isAllowed(const QString& key) const
{
    return whitelistedKeys(privacyWhitelist()).contains(key);
}

void AutomationSettings::toggle(const QString& key)
{
    Settings().setPrivacyWhitelist(toggledWhitelist(privacyWhitelist(), key));
    Q_EMIT changed();
}

QString AutomationSettings::toggledWhitelist(QStringView whitelist, const QString& key)
{
    QSet<QString> keys = whitelistedKeys(whitelist);
    keys.remove(QString());
    if (!key.isEmpty() && !keys.remove(key))
        keys.insert(key);
    QStringList sorted(keys.begin(), keys.end());
    std::sort(sorted.begin(), sorted.end());
    return sorted.join(u',');
}

QVariantList AutomationSettings::privacyLevels() const
{
    QVariantList levels;
    for (const L10n::PrivacyLevel& level : L10n::privacyLevels)
        levels << QVariantMap{{QStringLiteral("emoji"), level.emoji.toString()},
                              {QStringLiteral("title"), level.title.toString()},
                              {QStringLiteral("desc"), level.desc.toString()}};
    return levels;
}

QVariantList AutomationSettings::knownApps() const
{
    QVariantList apps;
    for (const KnownApp& app : knownAppTable)
        apps << QVariantMap{{QStringLiteral("key"), QString::fromLatin1(app.key)},
                            {QStringLiteral("label"), QString::fromLatin1(app.label)},
                            {QStringLiteral("symbol"), QString::fromLatin1(app.symbol)}};
    return apps;
}

bool AutomationSettings::autoCleanEnabled() const
{
    return Settings().autoCleanEnabled();
}

void AutomationSettings::setAutoCleanEnabled(bool enabled)
{
    store(enabled, &Settings::autoCleanEnabled, &Settings::setAutoCleanEnabled);
}

bool AutomationSettings::autoCleanRAM() const
{
    return Settings().autoCleanRAM();
}

void AutomationSettings::setAutoCleanRAM(bool enabled)
{
    store(enabled, &Settings::autoCleanRAM, &Settings::setAutoCleanRAM);
}

double AutomationSettings::autoCleanRAMThreshold() const
{
    return Settings().autoCleanRAMThreshold();
}

void AutomationSettings::setAutoCleanRAMThreshold(double percent)
{
    store(snapped(percent, ramThresholdMin, ramThresholdMax, ramThresholdStep),
          &Settings::autoCleanRAMThreshold, &Settings::setAutoCleanRAMThreshold);
}

bool AutomationSettings::autoCleanCache() const
{
    return Settings().autoCleanCache();
}

void AutomationSettings::setAutoCleanCache(bool enabled)
{
    store(enabled, &Settings::autoCleanCache, &Settings::setAutoCleanCache);
}

bool AutomationSettings::autoCleanTempFiles() const
{
    return Settings().autoCleanTempFiles();
}

void AutomationSettings::setAutoCleanTempFiles(bool enabled)
{
    store(enabled, &Settings::autoCleanTempFiles, &Settings::setAutoCleanTempFiles);
}

double AutomationSettings::autoCleanIntervalHours() const
{
    return Settings().autoCleanIntervalHours();
}

void AutomationSettings::setAutoCleanIntervalHours(double hours)
{
    store(snapped(hours, intervalMin, intervalMax, intervalStep), &Settings::autoCleanIntervalHours,
          &Settings::setAutoCleanIntervalHours);
}

QString AutomationSettings::ramPctText() const
{
    return L10n::ramPct(int(std::lround(autoCleanRAMThreshold())));
}

QString AutomationSettings::everyNText() const
{
    return L10n::everyN(int(std::lround(autoCleanIntervalHours())));
}

double AutomationSettings::snapped(double value, double min, double max, double step)
{
    if (!std::isfinite(value))
        return min;
    const double onStep = min + std::round((value - min) / step) * step;
    return std::clamp(onStep, min, max);
}
