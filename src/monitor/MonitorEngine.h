#pragma once

#include "model/AppPermission.h"
#include "model/SecurityAlert.h"
#include "monitor/SeenProcesses.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AccessSource;
class AlertJournal;
class AlertsFileWriter;
class ForceQuit;
class Notifier;
class PermissionAudit;
class TelegramBotApi;
class TelegramCallbackPoller;
class TelegramDigest;

// Watches for uses of the camera, the microphone and location services and turns each into a stored
// alert. Lives on the main thread; its sources report to it there.
class MonitorEngine : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isMonitoring READ isMonitoring NOTIFY isMonitoringChanged)
public:
    using Clock = std::function<QDateTime()>;
    // Milliseconds on a clock that never goes back.
    using MonotonicClock = std::function<qint64()>;
    enum class WatchState { Monitored, Unavailable, Paused };

    static constexpr int uiCooldownSeconds = 30;
    static constexpr qsizetype maxAlerts = 500;

    explicit MonitorEngine(bool autoStart = false, QObject* parent = nullptr);
    // For tests: a notifier and a clock of their own, and the sources to run instead of the platform's.
    // Such an engine writes nothing to the systemd journal unless given an AlertJournal.
    MonitorEngine(bool autoStart, std::unique_ptr<Notifier> notifier, Clock clock, QObject* parent = nullptr);
    ~MonitorEngine() override;

    void start();
    void stop();
    bool isMonitoring() const { return m_isMonitoring; }

    const QList<SecurityAlert>& alerts() const { return m_alerts; }
    void setAlerts(const QList<SecurityAlert>& alerts);
    // Empties the list and the alerts file: what a view's "clear" asks for.
    void clearAlerts();
    const QList<AppPermission>& permissions() const { return m_permissions; }
    void setPermissions(const QList<AppPermission>& permissions);

    void recordAlert(const QString& type, const QString& app, const std::optional<QString>& details);
    void persistAlerts();
    void refreshPermissions();
    // Force-quits the application: the processes seen using a device under `name` in the last day
    // (Linux sources know them), else those whose name is `name`. Returns at once; forceQuitFinished
    // tells whether anything was ended.
    void killApp(const QString& name);
    SeenProcesses& seenProcesses() { return m_seenProcesses; }
    // How applications are ended; the platform's own by default.
    void setForceQuit(std::unique_ptr<const ForceQuit> forceQuit);
    // Where stored alerts are copied for the systemd journal; none copies nothing.
    void setAlertJournal(std::unique_ptr<AlertJournal> journal);

    static QString friendlyAppName(const QString& app);
    static QString cooldownKey(const QString& type, const QString& app);

    QString alertsPath() const { return m_alertsPath; }
    AlertsFileWriter& alertsWriter() { return *m_writer; }

    void setSources(std::vector<AccessSource*> sources);
    // The cool-down's clock; by default the system's steady clock, or the injected wall clock's
    // milliseconds when the engine was given one.
    void setMonotonicClock(MonotonicClock clock) { m_monotonic = std::move(clock); }

    // How the watch of an access type stands: paused while not monitoring, unavailable once a source
    // said it cannot watch it (with the source's reason), else monitored.
    WatchState watchState(const QString& type) const;
    QString unavailableReason(const QString& type) const { return m_unavailable.value(type); }

    // Telegram alerting: the digest receives every access, the poller obeys force-quit buttons.
    TelegramBotApi& telegramApi() { return *m_telegramApi; }
    TelegramDigest& telegramDigest() { return *m_telegramDigest; }
    TelegramCallbackPoller& telegramPoller() { return *m_telegramPoller; }

Q_SIGNALS:
    void isMonitoringChanged();
    void alertsChanged();
    void permissionsChanged();
    void watchStatesChanged();
    // Every detected access, before the cool-down: what the Telegram digest counts.
    void accessDetected(const QString& type, const QString& displayApp, const QString& rawApp);
    // One alert stored at the head of the list.
    void alertRecorded(const SecurityAlert& alert);
    void forceQuitFinished(const QString& name, bool ended);

private:
    void initialise(bool autoStart);
    void setMonitoring(bool monitoring);
    void createTelegramAlerting();

    QList<SecurityAlert> m_alerts;
    QList<AppPermission> m_permissions;
    bool m_isMonitoring = false;
    QString m_alertsPath;
    QHash<QString, qint64> m_uiCooldowns;
    QHash<QString, QString> m_unavailable;
    MonotonicClock m_monotonic;
    std::vector<AccessSource*> m_sources;
    SeenProcesses m_seenProcesses;
    std::unique_ptr<Notifier> m_notifier;
    std::unique_ptr<AlertsFileWriter> m_writer;
    std::unique_ptr<const ForceQuit> m_forceQuit;
    std::unique_ptr<AlertJournal> m_journal;
    PermissionAudit* m_permissionAudit = nullptr;
    Clock m_clock;
    TelegramBotApi* m_telegramApi = nullptr;
    TelegramCallbackPoller* m_telegramPoller = nullptr;
    TelegramDigest* m_telegramDigest = nullptr;
};
