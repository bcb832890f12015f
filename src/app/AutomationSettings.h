#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>

class Settings;

// The settings the panel's two automation sheets edit: the vigilance level and always-allowed apps,
// and the automatic cleanup. Every write goes straight to the settings store.
class AutomationSettings : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int privacyLevel READ privacyLevel WRITE setPrivacyLevel NOTIFY changed)
    Q_PROPERTY(QString privacyWhitelist READ privacyWhitelist NOTIFY changed)
    Q_PROPERTY(QStringList whitelistKeys READ whitelistKeys NOTIFY changed)
    Q_PROPERTY(bool privacyAutoActive READ privacyAutoActive NOTIFY changed)
    Q_PROPERTY(QVariantList privacyLevels READ privacyLevels CONSTANT)
    Q_PROPERTY(QVariantList knownApps READ knownApps CONSTANT)
    Q_PROPERTY(bool autoCleanEnabled READ autoCleanEnabled WRITE setAutoCleanEnabled NOTIFY changed)
    Q_PROPERTY(bool autoCleanRAM READ autoCleanRAM WRITE setAutoCleanRAM NOTIFY changed)
    Q_PROPERTY(
        double autoCleanRAMThreshold READ autoCleanRAMThreshold WRITE setAutoCleanRAMThreshold NOTIFY changed)
    Q_PROPERTY(bool autoCleanCache READ autoCleanCache WRITE setAutoCleanCache NOTIFY changed)
    Q_PROPERTY(bool autoCleanTempFiles READ autoCleanTempFiles WRITE setAutoCleanTempFiles NOTIFY changed)
    Q_PROPERTY(double autoCleanIntervalHours READ autoCleanIntervalHours WRITE setAutoCleanIntervalHours
                   NOTIFY changed)
    Q_PROPERTY(QString ramPctText READ ramPctText NOTIFY changed)
    Q_PROPERTY(QString everyNText READ everyNText NOTIFY changed)
public:
    // Slider ranges and steps of the cleanup sheet.
    static constexpr double ramThresholdMin = 50, ramThresholdMax = 95, ramThresholdStep = 5;
    static constexpr double intervalMin = 1, intervalMax = 72, intervalStep = 1;

    using QObject::QObject;

    int privacyLevel() const;
    void setPrivacyLevel(int level);
    QString privacyWhitelist() const;
    QStringList whitelistKeys() const;
    bool privacyAutoActive() const;
    Q_INVOKABLE bool isAllowed(const QString& key) const;
    // Adds or removes one key; the whitelist is written back sorted, joined by "," without spaces.
    Q_INVOKABLE void toggle(const QString& key);
    QVariantList privacyLevels() const;
    QVariantList knownApps() const;

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
    QString ramPctText() const;
    QString everyNText() const;

    // The whitelist after toggling `key`: empty pieces dropped, sorted, joined by ",".
    static QString toggledWhitelist(QStringView whitelist, const QString& key);
    // A slider value kept inside its range and on its steps.
    static double snapped(double value, double min, double max, double step);

Q_SIGNALS:
    void changed();

private:
    // Writes one setting when the value differs from the stored one, and tells the views.
    template <typename T> void store(T value, T (Settings::*read)() const, void (Settings::*write)(T));
};
