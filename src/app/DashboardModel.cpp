#include "app/DashboardModel.h"

#include "app/AppState.h"
#include "app/DashboardRules.h"
#include "app/MenuBarRules.h"
#include "monitor/MonitorEngine.h"

#include <QPointer>

namespace {

DashboardModel::Options withDefaults(DashboardModel::Options options)
{
    if (!options.clock)
        options.clock = [] { return QDateTime::currentDateTimeUtc(); };
    if (!options.timeOfDay)
        options.timeOfDay = [] { return QTime::currentTime(); };
    return options;
}

QVariantList chipsOf(const QStringList& types)
{
    QVariantList chips;
    for (const QString& type : types) {
        chips << QVariantMap{{QStringLiteral("icon"), DashboardRules::typeIcon(type)},
                             {QStringLiteral("label"), DashboardRules::humanTypeName(type)},
                             {QStringLiteral("color"), DashboardRules::typeColor(type)}};
    }
    return chips;
}

} // namespace

DashboardModel::DashboardModel(AppState& state, QObject* parent) : DashboardModel(state, Options{}, parent) {}

DashboardModel::DashboardModel(AppState& state, Options options, QObject* parent)
    : QObject(parent), m_state(state), m_options(withDefaults(std::move(options))), m_console(state),
      m_automations(state, m_options.timeOfDay)
{
    m_feed.setParent(this);
    m_console.setParent(this);
    m_automations.setParent(this);
    m_telegramCard = new TelegramCardModel(state, m_options.telegramCard, this);
    m_onboarding = new OnboardingModel(state, m_options.onboarding, this);
    connect(&m_state, &AppState::hasOnboardedChanged, this, &DashboardModel::showOnboardingChanged);
    m_relativeTimeTick.setInterval(m_options.relativeTimeTickMs);
    connect(&m_relativeTimeTick, &QTimer::timeout, this, &DashboardModel::refreshRows);
    connect(&m_state, &AppState::alertsChanged, this, &DashboardModel::regroup);
    connect(&m_state, &AppState::engineAlertsChanged, this, &DashboardModel::updateThreat);
    connect(&m_state, &AppState::statsChanged, this, &DashboardModel::statsChanged);
    connect(&m_state, &AppState::isConnectedChanged, this, &DashboardModel::servicesChanged);
    connect(&m_state.backend(), &BackendManager::serviceInstalledChanged, this,
            &DashboardModel::servicesChanged);
    // A unit installed or removed while the dashboard is open shows at the next connection check.
    connect(&m_state, &AppState::connectionChecked, this,
            [this] { m_state.backend().refreshServiceInstalled(); });
    connect(&m_state.engine(), &MonitorEngine::isMonitoringChanged, this, &DashboardModel::monitoringChanged);
    m_state.backend().refreshServiceInstalled();
    regroup();
    updateThreat();
}

bool DashboardModel::showOnboarding() const
{
    return !m_state.hasOnboarded();
}

void DashboardModel::setSelectedTab(int tab)
{
    if (tab < AlertsTab || tab > SettingsTab || tab == m_selectedTab)
        return;
    m_selectedTab = tab;
    Q_EMIT selectedTabChanged();
}

bool DashboardModel::isMonitoring() const
{
    return m_state.engine().isMonitoring();
}

QString DashboardModel::monitoringText() const
{
    return isMonitoring() ? QStringLiteral("MONITORING") : QStringLiteral("STANDBY");
}

bool DashboardModel::hasStats() const
{
    return m_state.stats().has_value();
}

QString DashboardModel::todayText() const
{
    return m_state.stats() ? QString::number(m_state.stats()->today) : QString();
}

QString DashboardModel::totalText() const
{
    return m_state.stats() ? QString::number(m_state.stats()->total) : QString();
}

void DashboardModel::setShowStrike(bool show)
{
    if (show == m_showStrike)
        return;
    m_showStrike = show;
    if (m_strike)
        m_strike->deleteLater(); // the views still bound to it let go first
    m_strike = nullptr;
    if (show) {
        m_strike = new StrikeScan(
            [this](const QString& command, QObject* context, StrikeScan::Reply reply) {
                m_state.client().executeCommand(command, context, std::move(reply));
            },
            [this](const QString& profile) { m_state.applyProfile(profile); }, this);
        m_strike->runAllScans();
    }
    Q_EMIT showStrikeChanged();
}

void DashboardModel::updateThreat()
{
    const bool threat = DashboardRules::hasThreat(m_state.engineAlerts());
    if (threat == m_hasThreat)
        return;
    m_hasThreat = threat;
    Q_EMIT threatChanged();
}

void DashboardModel::regroup()
{
    m_appAlerts = groupByApp(m_state.alerts());
    refreshRows();
}

void DashboardModel::refreshRows()
{
    const int before = m_feed.rowCount();
    const QDateTime now = m_options.clock();
    const qsizetype shown = std::min<qsizetype>(DashboardRules::feedLimit, m_appAlerts.size());
    QList<AlertFeedRows::Row> rows;
    rows.reserve(shown);
    for (qsizetype i = 0; i < shown; ++i)
        rows << rowOf(m_appAlerts[i], now);
    m_feed.setRows(rows);
    if (m_feed.rowCount() != before)
        Q_EMIT feedChanged();
}

AlertFeedRows::Row DashboardModel::rowOf(const AppAlert& alert, const QDateTime& now) const
{
    return {
        alert.id,
        alert.app,
        alert.friendlyName,
        DashboardRules::appDescription(alert),
        DashboardRules::headline(alert),
        alert.isSystem,
        DashboardRules::riskColor(alert.risk),
        DashboardRules::riskBadgeSymbol(alert.risk),
        DashboardRules::riskSheetLabel(alert.risk),
        chipsOf(alert.types),
        alert.mostRecentDate ? MenuBarRules::relativeTime(*alert.mostRecentDate, now) : QString(),
        DashboardRules::countBadge(alert.totalCount),
        alert.details.value_or(QString()),
        DashboardRules::whyExplanation(alert),
        m_blocked.contains(alert.id),
    };
}

QStringList DashboardModel::whatToDo() const
{
    return DashboardRules::whatToDo();
}

QString DashboardModel::systemCapsule() const
{
    return DashboardRules::systemCapsule();
}

void DashboardModel::setShown(bool shown)
{
    // Closing the window while the first-run sheet is up dismisses the sheet as well.
    if (!shown && !m_state.hasOnboarded())
        m_onboarding->dismiss();
    if (shown == m_relativeTimeTick.isActive())
        return;
    if (shown) {
        refreshRows();
        m_relativeTimeTick.start();
    } else {
        m_relativeTimeTick.stop();
    }
}

void DashboardModel::block(const QString& alertId)
{
    if (m_blocked.contains(alertId))
        return;
    const auto alert = std::find_if(m_appAlerts.cbegin(), m_appAlerts.cend(),
                                    [&alertId](const AppAlert& a) { return a.id == alertId; });
    if (alert == m_appAlerts.cend())
        return;
    // The engine starts pkill without waiting for it; the row does not hear back.
    m_state.engine().killApp(alert->app);
    m_blocked.insert(alertId);
    refreshRows();
}

bool DashboardModel::isConnected() const
{
    return m_state.isConnected();
}

bool DashboardModel::serviceInstalled() const
{
    return m_state.backend().plistExists();
}

bool DashboardModel::showStartButton() const
{
    return DashboardRules::showsStartButton(isConnected(), serviceInstalled());
}

void DashboardModel::startBackend()
{
    if (m_restartingBackend)
        return;
    m_restartingBackend = true;
    Q_EMIT servicesChanged();
    m_state.backend().restart();
    // A precise timer: a coarse one may end "Starting…" up to 5 % early.
    QTimer::singleShot(m_options.startCheckDelayMs, Qt::PreciseTimer, this, [this] {
        m_state.checkConnection();
        m_restartingBackend = false;
        Q_EMIT servicesChanged();
    });
}

void DashboardModel::openSettings()
{
    Q_EMIT settingsRequested();
}

QString DashboardModel::versionText() const
{
    return QStringLiteral("Halvex · v") + MenuBarRules::shortVersion();
}
