#include "app/AppState.h"

#include "app/SystemResources.h"

#include "model/MonitoringProfiles.h"
#include "monitor/MonitorEngine.h"
#include "platform/Autostart.h"
#include "platform/Settings.h"

#include <algorithm>
#include <cmath>

namespace {

QStringList sorted(const QSet<QString>& ids)
{
    QStringList list(ids.cbegin(), ids.cend());
    list.sort();
    return list;
}

template <typename T> bool assign(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

AppState::AppState(QObject* parent) : AppState(Options{}, parent) {}

AppState::AppState(Options options, QObject* parent) : QObject(parent)
{
    Settings settings;
    m_selectedProfile = settings.automationProfile();
    m_hasOnboarded = settings.hasOnboarded();

    m_client = new HalvexClient(options.clientTimeouts, this);
    m_engine = new MonitorEngine(false, this);
    m_backend = new BackendManager(options.backendDelays, this);
    m_autoClean = new AutoCleanSchedule(
        [this](const QString& command, QObject* context, AutoCleanSchedule::Reply reply) {
            m_client->executeCommand(command, context, std::move(reply));
        },
        {SystemResources::freeDiskBytes, SystemResources::availableRamBytes,
         SystemResources::memoryUsePercent},
        [] { return QDateTime::currentDateTimeUtc(); }, this);

    // A first run never touches the service manager until onboarding has finished.
    if (m_hasOnboarded)
        m_backend->autoLaunchIfNeeded();

    m_engineAlertModel.setAlerts(m_engine->alerts());
    connect(
        m_engine, &MonitorEngine::alertsChanged, this,
        [this] {
            const QList<SecurityAlert> before = engineAlerts();
            m_engineAlertModel.setAlerts(m_engine->alerts());
            if (before != engineAlerts())
                Q_EMIT engineAlertsChanged();
        },
        Qt::QueuedConnection);

    checkConnection();
    loadAlerts();
    loadStats();
    loadXMTPStatus();
    loadTelegramStatus();
    loadAutomations();
    loadCustomSkills();

    // Coarse timers let the system coalesce wake-ups; a tick after the state is gone cannot happen,
    // the timers being members.
    m_fastTimer.setTimerType(Qt::CoarseTimer);
    m_fastTimer.setInterval(int(std::lround(settings.refreshInterval() * 1000.0)));
    connect(&m_fastTimer, &QTimer::timeout, this, &AppState::refreshFast);
    m_slowTimer.setTimerType(Qt::CoarseTimer);
    m_slowTimer.setInterval(options.slowRefreshMs);
    connect(&m_slowTimer, &QTimer::timeout, this, &AppState::refreshSlow);
    m_fastTimer.start();
    m_slowTimer.start();
}

AppState::~AppState() = default;

QStringList AppState::automatedSkillIdList() const
{
    return sorted(m_automatedSkillIds);
}

void AppState::setHasOnboarded(bool done)
{
    // Finishing onboarding for the first time turns starting at login on.
    if (done)
        Autostart::enableAfterFirstOnboarding(Settings().hasOnboarded());
    Settings().setHasOnboarded(done);
    if (assign(m_hasOnboarded, done))
        Q_EMIT hasOnboardedChanged();
}

void AppState::refreshFast()
{
    loadAlerts();
    loadStats();
    loadXMTPStatus();
    loadTelegramStatus();
}

void AppState::setTrayShown(bool shown)
{
    if (shown == m_trayShown)
        return;
    m_trayShown = shown;
    Q_EMIT trayShownChanged();
}

void AppState::setViewsShown(bool shown)
{
    if (shown == m_viewsShown)
        return;
    m_viewsShown = shown;
    if (!shown) {
        m_fastTimer.stop();
        return;
    }
    // What the views show may be up to 30 seconds old: all of it is fetched again at once.
    refreshFast();
    refreshViewsOnly();
    m_fastTimer.start();
}

void AppState::refreshSlow()
{
    // Unseen, only the tray icon's inputs are kept up to date: its colour and today's count.
    if (!m_viewsShown) {
        loadAlerts();
        loadStats();
        return;
    }
    refreshViewsOnly();
}

void AppState::refreshViewsOnly()
{
    loadAutomations();
    loadCustomSkills();
}

void AppState::checkConnection()
{
    m_client->checkStatus(this, [this](bool connected) {
        if (assign(m_isConnected, connected))
            Q_EMIT isConnectedChanged();
        setBackendAnswering(connected);
        Q_EMIT connectionChecked();
    });
}

void AppState::setBackendAnswering(bool answering)
{
    if (assign(m_backendAnswering, answering))
        Q_EMIT backendAnsweringChanged();
}

void AppState::loadAlerts()
{
    m_client->fetchAlerts(this, [this](const QList<SecurityAlert>& alerts) {
        const bool changed = alerts != this->alerts();
        m_alertModel.setAlerts(alerts);
        if (changed)
            Q_EMIT alertsChanged();
    });
}

void AppState::loadStats()
{
    m_client->fetchStats(this, [this](const std::optional<DashboardStats>& stats) {
        setBackendAnswering(stats.has_value());
        if (assign(m_stats, stats))
            Q_EMIT statsChanged();
    });
}

void AppState::loadXMTPStatus()
{
    m_client->fetchXMTPStatus(this, [this](const std::optional<XMTPStatus>& status) {
        if (assign(m_xmtpStatus, status))
            Q_EMIT xmtpStatusChanged();
    });
}

void AppState::loadTelegramStatus()
{
    m_client->fetchTelegramStatus(this, [this](const std::optional<TelegramStatus>& status) {
        if (assign(m_telegramStatus, status))
            Q_EMIT telegramStatusChanged();
        if (status && status->chatId && !status->chatId->isEmpty())
            Settings().setTelegramChatId(*status->chatId);
    });
}

void AppState::clearTelegramStatus()
{
    if (assign(m_telegramStatus, std::optional<TelegramStatus>()))
        Q_EMIT telegramStatusChanged();
}

void AppState::loadAutomations()
{
    m_client->fetchAutomations(this, [this](const QList<Automation>& automations) {
        setAutomatedSkillIds(enabledSkillIds(automations));
    });
}

void AppState::loadCustomSkills()
{
    m_client->fetchCustomSkills(this, [this](const QList<CustomSkillDef>& skills) {
        if (assign(m_customSkills, skills))
            Q_EMIT customSkillsChanged();
    });
}

QSet<QString> AppState::enabledSkillIds(const QList<Automation>& automations)
{
    QSet<QString> ids;
    for (const Automation& automation : automations) {
        if (automation.enabled)
            ids.insert(automation.skillId);
    }
    return ids;
}

void AppState::setAutomatedSkillIds(const QSet<QString>& ids)
{
    if (assign(m_automatedSkillIds, ids))
        Q_EMIT automatedSkillIdsChanged();
}

void AppState::setApplyingProfile(bool applying)
{
    if (assign(m_isApplyingProfile, applying))
        Q_EMIT isApplyingProfileChanged();
}

// Optimistic: the switch moves at once and moves back when the backend refuses.
void AppState::toggleAutomation(const QString& skillId)
{
    QSet<QString> ids = m_automatedSkillIds;
    if (ids.contains(skillId)) {
        ids.remove(skillId);
        setAutomatedSkillIds(ids);
        m_client->disableAutomation(skillId, this, [this, skillId](bool ok) {
            if (!ok) {
                QSet<QString> restored = m_automatedSkillIds;
                restored.insert(skillId);
                setAutomatedSkillIds(restored);
            }
        });
        return;
    }
    ids.insert(skillId);
    setAutomatedSkillIds(ids);
    m_client->enableAutomation(skillId, this, [this, skillId](bool ok) {
        if (!ok) {
            QSet<QString> restored = m_automatedSkillIds;
            restored.remove(skillId);
            setAutomatedSkillIds(restored);
        }
    });
}

void AppState::applyProfile(const QString& profile)
{
    const std::optional<QStringList> skills = profileSkills(profile);
    if (!skills)
        return;
    const QSet<QString> target(skills->cbegin(), skills->cend());
    setApplyingProfile(true);
    runProfileSteps(sorted(m_automatedSkillIds - target), sorted(target - m_automatedSkillIds), profile);
}

// One call at a time: every disable, then every enable, whatever each answers; then the backend's
// own list is published, so the result shows what it really holds.
void AppState::runProfileSteps(QStringList disable, QStringList enable, QString profile)
{
    if (disable.isEmpty() && enable.isEmpty()) {
        finishProfile(profile);
        return;
    }
    const bool disabling = !disable.isEmpty();
    const QString id = disabling ? disable.takeFirst() : enable.takeFirst();
    auto next = [this, disable, enable, profile](bool) { runProfileSteps(disable, enable, profile); };
    if (disabling)
        m_client->disableAutomation(id, this, next);
    else
        m_client->enableAutomation(id, this, next);
}

void AppState::finishProfile(const QString& profile)
{
    Settings().setAutomationProfile(profile);
    m_client->fetchAutomations(this, [this, profile](const QList<Automation>& automations) {
        setAutomatedSkillIds(enabledSkillIds(automations));
        if (assign(m_selectedProfile, std::optional<QString>(profile)))
            Q_EMIT selectedProfileChanged();
        setApplyingProfile(false);
    });
}
