#pragma once

#include "app/AlertListModel.h"
#include "app/AutoCleanSchedule.h"
#include "backend/BackendManager.h"
#include "backend/BackendRecords.h"
#include "backend/HalvexClient.h"
#include "model/SecurityAlert.h"

#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <optional>

class MonitorEngine;

// The single observable store every window reads: the backend's latest picture (connection, events,
// statistics, Telegram and XMTP status, automations, custom skills), the engine's alerts, and the two
// multi-step automation operations. Main thread only; every operation returns at once and publishes
// its outcome later.
class AppState : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isConnected READ isConnected NOTIFY isConnectedChanged)
    Q_PROPERTY(bool trayShown READ trayShown NOTIFY trayShownChanged)
    Q_PROPERTY(AlertListModel* alertModel READ alertModel CONSTANT)
    Q_PROPERTY(AlertListModel* engineAlertModel READ engineAlertModel CONSTANT)
    Q_PROPERTY(QStringList automatedSkillIds READ automatedSkillIdList NOTIFY automatedSkillIdsChanged)
    Q_PROPERTY(QString selectedProfile READ selectedProfileText NOTIFY selectedProfileChanged)
    Q_PROPERTY(bool isApplyingProfile READ isApplyingProfile NOTIFY isApplyingProfileChanged)
    Q_PROPERTY(bool hasOnboarded READ hasOnboarded WRITE setHasOnboarded NOTIFY hasOnboardedChanged)
public:
    struct Options
    {
        HalvexClient::Timeouts clientTimeouts;
        BackendManager::Delays backendDelays;
        int slowRefreshMs = 30000;
    };

    explicit AppState(QObject* parent = nullptr);
    AppState(Options options, QObject* parent = nullptr);
    ~AppState() override;

    HalvexClient& client() { return *m_client; }
    MonitorEngine& engine() { return *m_engine; }
    BackendManager& backend() { return *m_backend; }
    // The automatic clean-up; the panel's sheet edits its settings and tells it to reschedule.
    AutoCleanSchedule& autoClean() { return *m_autoClean; }

    bool isConnected() const { return m_isConnected; }
    // Whether the desktop shows Halvex's tray icon (the tray application says; shown by default).
    bool trayShown() const { return m_trayShown; }
    void setTrayShown(bool shown);
    // Whether the backend answered the latest connection check or statistics poll: unlike
    // isConnected, which only the connection check moves, this turns false once a refresh fails.
    bool backendAnswering() const { return m_backendAnswering; }
    const QList<SecurityAlert>& alerts() const { return m_alertModel.alerts(); }
    const QList<SecurityAlert>& engineAlerts() const { return m_engineAlertModel.alerts(); }
    AlertListModel* alertModel() { return &m_alertModel; }
    AlertListModel* engineAlertModel() { return &m_engineAlertModel; }
    const std::optional<DashboardStats>& stats() const { return m_stats; }
    const std::optional<XMTPStatus>& xmtpStatus() const { return m_xmtpStatus; }
    const std::optional<TelegramStatus>& telegramStatus() const { return m_telegramStatus; }
    const QSet<QString>& automatedSkillIds() const { return m_automatedSkillIds; }
    QStringList automatedSkillIdList() const;
    const std::optional<QString>& selectedProfile() const { return m_selectedProfile; }
    QString selectedProfileText() const { return m_selectedProfile.value_or(QString()); }
    bool isApplyingProfile() const { return m_isApplyingProfile; }
    bool hasOnboarded() const { return m_hasOnboarded; }
    void setHasOnboarded(bool done);
    const QList<CustomSkillDef>& customSkills() const { return m_customSkills; }

    // The fast refresh period in milliseconds (the refreshInterval setting; 5 s when not above zero).
    int fastRefreshIntervalMs() const { return m_fastTimer.interval(); }
    int slowRefreshIntervalMs() const { return m_slowTimer.interval(); }
    // Whether some window shows the backend's picture. With none, the fast refresh pauses and the
    // slow one fetches only the tray icon's inputs (events and statistics); a view that shows
    // refreshes everything at once and resumes the fast refresh.
    void setViewsShown(bool shown);
    bool isFastRefreshActive() const { return m_fastTimer.isActive(); }

    Q_INVOKABLE void checkConnection();
    Q_INVOKABLE void loadAlerts();
    Q_INVOKABLE void loadStats();
    Q_INVOKABLE void loadXMTPStatus();
    Q_INVOKABLE void loadTelegramStatus();
    // Forgets the Telegram picture at once, as a disconnect does before the backend confirms it.
    void clearTelegramStatus();
    Q_INVOKABLE void loadAutomations();
    Q_INVOKABLE void loadCustomSkills();
    Q_INVOKABLE void toggleAutomation(const QString& skillId);
    Q_INVOKABLE void applyProfile(const QString& profile);

Q_SIGNALS:
    void isConnectedChanged();
    void trayShownChanged();
    // Every answered connection check, whether or not it changed isConnected.
    void connectionChecked();
    void backendAnsweringChanged();
    void alertsChanged();
    void engineAlertsChanged();
    void statsChanged();
    void xmtpStatusChanged();
    void telegramStatusChanged();
    void automatedSkillIdsChanged();
    void selectedProfileChanged();
    void isApplyingProfileChanged();
    void hasOnboardedChanged();
    void customSkillsChanged();

private:
    void startRefreshing();
    void setBackendAnswering(bool answering);
    void refreshFast();
    void refreshSlow();
    void refreshViewsOnly();
    void setAutomatedSkillIds(const QSet<QString>& ids);
    void setApplyingProfile(bool applying);
    void runProfileSteps(QStringList disable, QStringList enable, QString profile);
    void finishProfile(const QString& profile);
    static QSet<QString> enabledSkillIds(const QList<Automation>& automations);

    HalvexClient* m_client = nullptr;
    MonitorEngine* m_engine = nullptr;
    BackendManager* m_backend = nullptr;
    AutoCleanSchedule* m_autoClean = nullptr;

    bool m_isConnected = false;
    bool m_backendAnswering = false;
    AlertListModel m_alertModel;
    AlertListModel m_engineAlertModel;
    std::optional<DashboardStats> m_stats;
    std::optional<XMTPStatus> m_xmtpStatus;
    std::optional<TelegramStatus> m_telegramStatus;
    QSet<QString> m_automatedSkillIds;
    std::optional<QString> m_selectedProfile;
    bool m_isApplyingProfile = false;
    bool m_hasOnboarded = false;
    QList<CustomSkillDef> m_customSkills;

    QTimer m_fastTimer;
    QTimer m_slowTimer;
    bool m_viewsShown = true;
    bool m_trayShown = true;
};
