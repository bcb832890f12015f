#include "monitor/MonitorEngine.h"

#include "model/Timestamp.h"
#include "monitor/AccessSource.h"
#include "monitor/AlertJournal.h"
#include "monitor/AlertNotice.h"
#include "monitor/AlertsFile.h"
#include "monitor/PermissionAudit.h"
#include "monitor/PlatformSources.h"
#include "monitor/TelegramBotApi.h"
#include "monitor/TelegramCallbackPoller.h"
#include "monitor/TelegramDigest.h"
#include "platform/ForceQuit.h"
#include "platform/Notifier.h"
#include "platform/Platform.h"
#include "platform/SystemRoots.h"

#include <QDir>

#include <chrono>

MonitorEngine::MonitorEngine(bool autoStart, QObject* parent)
    : MonitorEngine(
          autoStart, Notifier::createForPlatform(), [] { return QDateTime::currentDateTimeUtc(); }, parent)
{
    m_monotonic = [] {
        return qint64(std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now().time_since_epoch())
                          .count());
    };
    m_journal = std::make_unique<AlertJournal>();
}

MonitorEngine::MonitorEngine(bool autoStart, std::unique_ptr<Notifier> notifier, Clock clock, QObject* parent)
    : QObject(parent), m_notifier(std::move(notifier)), m_forceQuit(std::make_unique<ForceQuit>()),
      m_clock(std::move(clock))
{
    m_monotonic = [clock = m_clock] { return clock().toMSecsSinceEpoch(); };
    createTelegramAlerting();
    m_permissionAudit = new PermissionAudit(this);
    connect(m_permissionAudit, &PermissionAudit::permissionsRead, this, &MonitorEngine::setPermissions);
    setSources(createPlatformSources());
    initialise(autoStart);
}

MonitorEngine::~MonitorEngine()
{
    stop();
}

void MonitorEngine::initialise(bool autoStart)
{
    const QString dataDirectory = Platform::createPrivateDataDirectory();
    m_alertsPath = dataDirectory + QStringLiteral("/alerts.json");
    m_writer = std::make_unique<AlertsFileWriter>(m_alertsPath);
    m_alerts = AlertsFile::load(m_alertsPath);
    if (Platform::isBundled() && m_notifier)
        m_notifier->requestAuthorization();
    if (autoStart)
        start();
    refreshPermissions();
}

void MonitorEngine::createTelegramAlerting()
{
    m_telegramApi = new TelegramBotApi(this);
    m_telegramPoller = new TelegramCallbackPoller(
        *m_telegramApi, [this](const QString& name) { killApp(name); }, this);
    m_telegramPoller->setClock(m_clock);
    m_telegramDigest = new TelegramDigest(*m_telegramApi, *m_telegramPoller, m_clock, this);
    connect(this, &MonitorEngine::accessDetected, m_telegramDigest, &TelegramDigest::queueTelegramAlert);
}

void MonitorEngine::setSources(std::vector<AccessSource*> sources)
{
    for (AccessSource* source : m_sources) {
        source->stop();
        delete source;
    }
    m_sources = std::move(sources);
    for (AccessSource* source : m_sources) {
        source->setParent(this);
        connect(source, &AccessSource::accessDetected, this, &MonitorEngine::recordAlert);
        connect(source, &AccessSource::processesSeen, this,
                [this](const QString& app, const QList<ProcessFacts>& processes) {
                    m_seenProcesses.remember(app, processes, m_clock());
                });
        connect(source, &AccessSource::watchUnavailable, this,
                [this](const QString& type, const QString& reason) {
                    if (m_unavailable.value(type) == reason)
                        return;
                    m_unavailable.insert(type, reason);
                    Q_EMIT watchStatesChanged();
                });
        connect(source, &AccessSource::watchAvailable, this, [this](const QString& type) {
            if (m_unavailable.remove(type) > 0)
                Q_EMIT watchStatesChanged();
        });
    }
}

void MonitorEngine::setMonitoring(bool monitoring)
{
    if (m_isMonitoring == monitoring)
        return;
    m_isMonitoring = monitoring;
    Q_EMIT isMonitoringChanged();
}

MonitorEngine::WatchState MonitorEngine::watchState(const QString& type) const
{
    if (!m_isMonitoring)
        return WatchState::Paused;
    return m_unavailable.contains(type) ? WatchState::Unavailable : WatchState::Monitored;
}

void MonitorEngine::start()
{
    // Each start tries every watch again.
    if (!m_unavailable.isEmpty()) {
        m_unavailable.clear();
        Q_EMIT watchStatesChanged();
    }
    setMonitoring(true);
    for (AccessSource* source : m_sources)
        source->start();
    refreshPermissions();
}

void MonitorEngine::stop()
{
    setMonitoring(false);
    for (AccessSource* source : m_sources)
        source->stop();
    m_telegramPoller->stop();
}

void MonitorEngine::setAlerts(const QList<SecurityAlert>& alerts)
{
    m_alerts = alerts;
    Q_EMIT alertsChanged();
}

void MonitorEngine::clearAlerts()
{
    setAlerts({});
    persistAlerts();
}

void MonitorEngine::setPermissions(const QList<AppPermission>& permissions)
{
    if (m_permissions == permissions)
        return;
    m_permissions = permissions;
    Q_EMIT permissionsChanged();
}

void MonitorEngine::refreshPermissions()
{
    // Linux keeps no consent database: there is nothing to audit.
    if (Platform::isLinux())
        setPermissions({});
    else
        m_permissionAudit->refresh();
}

QString MonitorEngine::friendlyAppName(const QString& app)
{
    const QString low = app.toLower();
    if (low.startsWith(u"unknown") || low == u"tcc" || low == u"tccd")
        return QStringLiteral("Something");
    return app;
}

QString MonitorEngine::cooldownKey(const QString& type, const QString& app)
{
    const QString low = app.toLower();
    return type + QLatin1Char('-') + (low.startsWith(u"unknown") ? QStringLiteral("unknown") : low);
}

void MonitorEngine::recordAlert(const QString& type, const QString& app,
                                const std::optional<QString>& details)
{
    const QDateTime now = m_clock();
    Q_EMIT accessDetected(type.toLower(), friendlyAppName(app), app);

    // The cool-down runs on the monotonic clock: setting the wall clock back cannot silence alerts.
    const qint64 nowMs = m_monotonic();
    const QString key = cooldownKey(type, app);
    const auto last = m_uiCooldowns.constFind(key);
    if (last != m_uiCooldowns.cend() && nowMs - *last < qint64(uiCooldownSeconds) * 1000)
        return;
    m_uiCooldowns.insert(key, nowMs);

    const SecurityAlert alert{type, app, QString(), Timestamp::format(now), details};
    m_alerts.prepend(alert);
    if (m_alerts.size() > maxAlerts)
        m_alerts.resize(maxAlerts);
    Q_EMIT alertsChanged();
    persistAlerts();

    const AlertNotice notice = AlertNotice::forAlert(alert);
    if (m_notifier)
        m_notifier->notify(notice.title, notice.body, alert.id());
    if (m_journal)
        m_journal->record(alert);
    Q_EMIT alertRecorded(alert);
}

void MonitorEngine::persistAlerts()
{
    m_writer->save(m_alerts.size() > maxAlerts ? m_alerts.first(maxAlerts) : m_alerts);
}

void MonitorEngine::killApp(const QString& name)
{
    const QList<ProcessFacts> seen = m_seenProcesses.alive(name, SystemRoots::procRoot(), m_clock());
    m_forceQuit->end(name, seen, this, [this, name](const ForceQuitOutcome& outcome) {
        Q_EMIT forceQuitFinished(name, outcome.ended);
    });
}

void MonitorEngine::setForceQuit(std::unique_ptr<const ForceQuit> forceQuit)
{
    m_forceQuit = std::move(forceQuit);
}

void MonitorEngine::setAlertJournal(std::unique_ptr<AlertJournal> journal)
{
    m_journal = std::move(journal);
}
