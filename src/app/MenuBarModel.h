#pragma once

#include "app/ActivityRows.h"
#include "app/AutoCleanSchedule.h"
#include "app/AutomationSettings.h"
#include "app/CleanupRun.h"
#include "app/MenuBarRules.h"
#include "model/GroupedAlert.h"
#include "monitor/MonitorEngine.h"
#include "sensors/CpuTemperatureMonitor.h"

#include <QColor>
#include <QDateTime>
#include <QNetworkAccessManager>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <QUrl>
#include <QVariantList>

#include <functional>
#include <optional>

class AppState;

// Everything the status-bar panel shows and does; the QML view only lays it out. Lives as long as
// the panel: blocked marks and the cleanup result are forgotten with it.
class MenuBarModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(
        bool protectionEnabled READ protectionEnabled WRITE setProtectionEnabled NOTIFY protectionChanged)
    Q_PROPERTY(QString protectionStatusText READ protectionStatusText NOTIFY protectionChanged)
    Q_PROPERTY(QString allClearTitle READ allClearTitle NOTIFY protectionChanged)
    Q_PROPERTY(QString allClearLine READ allClearLine NOTIFY protectionChanged)
    Q_PROPERTY(QVariantList sensors READ sensors NOTIFY sensorsChanged)
    Q_PROPERTY(QString cpuReading READ cpuReading NOTIFY cpuChanged)
    Q_PROPERTY(bool hasCpuTemp READ hasCpuTemp NOTIFY cpuChanged)
    Q_PROPERTY(QColor cpuIconColor READ cpuIconColor NOTIFY cpuChanged)
    Q_PROPERTY(QColor thermalDotColor READ thermalDotColor NOTIFY cpuChanged)
    Q_PROPERTY(ActivityRows* rows READ rows CONSTANT)
    Q_PROPERTY(int groupCount READ groupCount NOTIFY groupsChanged)
    Q_PROPERTY(int hiddenCount READ hiddenCount NOTIFY groupsChanged)
    Q_PROPERTY(QString accessCountText READ accessCountText NOTIFY groupsChanged)
    Q_PROPERTY(QString seeMoreText READ seeMoreText NOTIFY groupsChanged)
    Q_PROPERTY(bool showAllAlerts READ showAllAlerts WRITE setShowAllAlerts NOTIFY groupsChanged)
    Q_PROPERTY(CleanupRun* cleanup READ cleanup CONSTANT)
    Q_PROPERTY(AutomationSettings* automation READ automation CONSTANT)
    Q_PROPERTY(AutoCleanSchedule* autoCleanSchedule READ autoCleanSchedule CONSTANT)
    Q_PROPERTY(bool telegramConnected READ isTelegramConnected NOTIFY telegramChanged)
    Q_PROPERTY(bool showDisconnectConfirm READ showDisconnectConfirm NOTIFY telegramChanged)
    Q_PROPERTY(bool isDisconnecting READ isDisconnecting NOTIFY telegramChanged)
    Q_PROPERTY(bool updateAvailable READ updateAvailable NOTIFY updateChanged)
    Q_PROPERTY(QUrl updateURL READ updateURL NOTIFY updateChanged)
    Q_PROPERTY(QString versionText READ versionText CONSTANT)
public:
    using Clock = std::function<QDateTime()>;
    struct Options
    {
        Clock clock;                   // now, for the relative times; the system clock by default
        int disconnectRevertMs = 3000; // how long "Confirm" waits before turning back
        int relativeTimeTickMs = 1000; // how often the rows' "… ago" texts move on while shown
        CleanupRun::Timing cleanupTiming;
        CleanupRun::Sources cleanupSources;      // the system's free disk and RAM by default
        QString vendorUrl;                       // HALVEX_VENDOR_URL by default; empty means no update check
        CpuTemperatureMonitor::Reader cpuReader; // the CPU sensor by default
        CpuTemperatureMonitor::StateProbe thermalProbe; // the operating system's thermal state by default
    };
    static constexpr int collapsedRows = 5;

    explicit MenuBarModel(AppState& state, QObject* parent = nullptr);
    MenuBarModel(AppState& state, Options options, QObject* parent = nullptr);

    bool protectionEnabled() const;
    void setProtectionEnabled(bool enabled);
    // The protection row's line and the empty list's texts, in this platform's wording; the title's
    // emoji is marked up to draw in colour.
    QString protectionStatusText() const;
    QString allClearTitle() const;
    QString allClearLine() const;

    // The three sensor rows (camera, microphone, location): icon, label, status word, the source's
    // reason when unavailable, and whether the row is green.
    QVariantList sensors() const;
    static MenuBarRules::WatchStatus watchStatus(MonitorEngine::WatchState state);

    // The CPU cell's input, normally from the panel's own CPU monitor; thermalState numbered nominal 0
    // to critical 3.
    void setCpuReading(std::optional<double> celsius, int thermalState);
    QString cpuReading() const;
    bool hasCpuTemp() const { return m_cpuTemp.has_value(); }
    QColor cpuIconColor() const;
    QColor thermalDotColor() const;

    const QList<GroupedAlert>& allGroups() const { return m_groups; }
    // The listed groups: the first five while collapsed with six or more, else all.
    ActivityRows* rows() { return &m_rows; }
    int groupCount() const { return int(m_groups.size()); }
    int hiddenCount() const;
    QString accessCountText() const;
    QString seeMoreText() const;
    bool showAllAlerts() const { return m_showAllAlerts; }
    void setShowAllAlerts(bool show);

    CleanupRun* cleanup() { return &m_cleanup; }
    AutomationSettings* automation() { return &m_automation; }
    AutoCleanSchedule* autoCleanSchedule();

    bool isTelegramConnected() const;
    bool showDisconnectConfirm() const { return m_showDisconnectConfirm; }
    bool isDisconnecting() const { return m_isDisconnecting; }

    bool updateAvailable() const { return m_updateURL.has_value(); }
    QUrl updateURL() const { return m_updateURL.value_or(QUrl()); }
    QString versionText() const;

    const std::optional<QString>& blockingApp() const { return m_blockingApp; }
    bool isBlockQueued(const QString& groupId) const;
    const QSet<QString>& blockedApps() const { return m_blockedApps; }

    // Whether the panel is on screen: only then do the relative times move on.
    void setShown(bool shown);

    // The panel was shown: check for updates, start monitoring if protection is on, read the CPU now
    // and every 30 s from then on.
    Q_INVOKABLE void appeared();
    Q_INVOKABLE void block(const QString& groupId);
    Q_INVOKABLE void clearAlerts();
    Q_INVOKABLE void freeUpSpace();
    Q_INVOKABLE void requestDisconnect();
    Q_INVOKABLE void disconnectTelegram();
    Q_INVOKABLE void setUpTelegram();
    Q_INVOKABLE void openDashboard();
    Q_INVOKABLE void openUpdate();
    Q_INVOKABLE void quit();
    void checkForUpdates();

Q_SIGNALS:
    void protectionChanged();
    void sensorsChanged();
    void cpuChanged();
    void groupsChanged();
    void telegramChanged();
    void updateChanged();
    void dashboardRequested();
    void quitRequested();

private:
    void regroup();
    void takeCpuReading();
    void applyProtection();
    // Rebuilds the rows from the groups, the expansion and the block marks.
    void refreshRows();
    QList<ActivityRows::Row> currentRows() const;
    ActivityRows::Row rowOf(const GroupedAlert& group, const QDateTime& now) const;

    AppState& m_state;
    Options m_options;
    AutomationSettings m_automation;
    CleanupRun m_cleanup;
    QNetworkAccessManager m_network;
    QTimer m_disconnectRevert;
    QTimer m_relativeTimeTick;
    CpuTemperatureMonitor m_cpu;

    std::optional<double> m_cpuTemp;
    int m_thermalState = -1; // not measured yet
    QList<GroupedAlert> m_groups;
    ActivityRows m_rows;
    bool m_showAllAlerts = false;
    std::optional<QString> m_blockingApp;
    // Blocks asked for while one is in flight, in order: each is sent once the one before it is done.
    struct QueuedBlock
    {
        QString groupId;
        QString command;
    };
    QList<QueuedBlock> m_queuedBlocks;
    void sendBlock(const QueuedBlock& block);
    QSet<QString> m_blockedApps;
    bool m_showDisconnectConfirm = false;
    bool m_isDisconnecting = false;
    std::optional<QUrl> m_updateURL;
};
