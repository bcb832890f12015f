#pragma once

#include "app/AlertFeedRows.h"
#include "app/AutomationsSection.h"
#include "app/CommandConsole.h"
#include "app/OnboardingModel.h"
#include "app/StrikeScan.h"
#include "app/TelegramCardModel.h"
#include "model/AppAlert.h"

#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <functional>

class AppState;

// Everything the dashboard window shows and does: the header, the tab selection, the alert feed and
// the services card; the QML views only lay it out. Lives as long as the window, so block marks and
// the selected tab are forgotten when it closes.
class DashboardModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int selectedTab READ selectedTab WRITE setSelectedTab NOTIFY selectedTabChanged)
    Q_PROPERTY(bool isMonitoring READ isMonitoring NOTIFY monitoringChanged)
    Q_PROPERTY(QString monitoringText READ monitoringText NOTIFY monitoringChanged)
    Q_PROPERTY(bool hasStats READ hasStats NOTIFY statsChanged)
    Q_PROPERTY(QString todayText READ todayText NOTIFY statsChanged)
    Q_PROPERTY(QString totalText READ totalText NOTIFY statsChanged)
    Q_PROPERTY(bool hasThreat READ hasThreat NOTIFY threatChanged)
    Q_PROPERTY(bool showStrike READ showStrike WRITE setShowStrike NOTIFY showStrikeChanged)
    Q_PROPERTY(StrikeScan* strike READ strike NOTIFY showStrikeChanged)
    Q_PROPERTY(AutomationsSection* automations READ automations CONSTANT)
    Q_PROPERTY(AlertFeedRows* feed READ feed CONSTANT)
    Q_PROPERTY(int feedCount READ feedCount NOTIFY feedChanged)
    Q_PROPERTY(QStringList whatToDo READ whatToDo CONSTANT)
    Q_PROPERTY(QString systemCapsule READ systemCapsule CONSTANT)
    Q_PROPERTY(bool isConnected READ isConnected NOTIFY servicesChanged)
    Q_PROPERTY(bool showStartButton READ showStartButton NOTIFY servicesChanged)
    Q_PROPERTY(bool restartingBackend READ restartingBackend NOTIFY servicesChanged)
    Q_PROPERTY(QString versionText READ versionText CONSTANT)
    Q_PROPERTY(CommandConsole* console READ console CONSTANT)
    Q_PROPERTY(TelegramCardModel* telegramCard READ telegramCard CONSTANT)
    Q_PROPERTY(OnboardingModel* onboarding READ onboarding CONSTANT)
    Q_PROPERTY(bool showOnboarding READ showOnboarding NOTIFY showOnboardingChanged)
public:
    enum Tab { AlertsTab, ControlTab, SettingsTab };
    Q_ENUM(Tab)

    using Clock = std::function<QDateTime()>;
    struct Options
    {
        Clock clock;                         // now, for the relative times; the system clock by default
        int startCheckDelayMs = 3000;        // how long "Starting…" shows before the connection is checked
        int relativeTimeTickMs = 1000;       // how often the rows' relative times move on while shown
        AutomationsSection::Clock timeOfDay; // the local time of day for the next-run estimates
        TelegramCardModel::Options telegramCard;
        OnboardingModel::Options onboarding;
    };

    explicit DashboardModel(AppState& state, QObject* parent = nullptr);
    DashboardModel(AppState& state, Options options, QObject* parent = nullptr);

    int selectedTab() const { return m_selectedTab; }
    void setSelectedTab(int tab);

    bool isMonitoring() const;
    QString monitoringText() const;
    bool hasStats() const;
    QString todayText() const;
    QString totalText() const;
    bool hasThreat() const { return m_hasThreat; }
    bool showStrike() const { return m_showStrike; }
    // Opening the threat scan starts six new scans; closing it drops them with their late replies.
    void setShowStrike(bool show);
    StrikeScan* strike() { return m_strike; }
    AutomationsSection* automations() { return &m_automations; }

    // The applications of the state's alerts, all of them; the feed shows the first feedLimit.
    const QList<AppAlert>& appAlerts() const { return m_appAlerts; }
    AlertFeedRows* feed() { return &m_feed; }
    int feedCount() const { return m_feed.rowCount(); }
    QStringList whatToDo() const;
    QString systemCapsule() const;

    bool isConnected() const;
    bool serviceInstalled() const;
    bool showStartButton() const;
    bool restartingBackend() const { return m_restartingBackend; }
    QString versionText() const;
    const QSet<QString>& blockedIds() const { return m_blocked; }
    CommandConsole* console() { return &m_console; }
    TelegramCardModel* telegramCard() { return m_telegramCard; }
    OnboardingModel* onboarding() { return m_onboarding; }
    // The first-run sheet shows until onboarding is done.
    bool showOnboarding() const;

    // Whether the window is on screen: only then do the relative times move on.
    void setShown(bool shown);

    // Force-quits the row's application and marks it blocked at once, whatever the outcome.
    Q_INVOKABLE void block(const QString& alertId);
    // The services card's "Start": restart the backend, check the connection after the delay.
    Q_INVOKABLE void startBackend();
    Q_INVOKABLE void openSettings();

Q_SIGNALS:
    void selectedTabChanged();
    void monitoringChanged();
    void statsChanged();
    void threatChanged();
    void showStrikeChanged();
    void feedChanged();
    void servicesChanged();
    void settingsRequested();
    void showOnboardingChanged();

private:
    void regroup();
    void refreshRows();
    void updateThreat();
    AlertFeedRows::Row rowOf(const AppAlert& alert, const QDateTime& now) const;

    AppState& m_state;
    Options m_options;
    int m_selectedTab = AlertsTab;
    bool m_hasThreat = false;
    bool m_showStrike = false;
    bool m_restartingBackend = false;
    QList<AppAlert> m_appAlerts;
    QSet<QString> m_blocked;
    AlertFeedRows m_feed;
    QTimer m_relativeTimeTick;
    CommandConsole m_console;
    StrikeScan* m_strike = nullptr;
    AutomationsSection m_automations;
    TelegramCardModel* m_telegramCard = nullptr;
    OnboardingModel* m_onboarding = nullptr;
};
