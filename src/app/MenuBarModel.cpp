#include "app/MenuBarModel.h"

#include "app/AppNotifications.h"
#include "app/AppState.h"
#include "app/EmojiText.h"
#include "app/MenuBarRules.h"
#include "app/SystemResources.h"
#include "model/L10n.h"
#include "monitor/MonitorEngine.h"
#include "platform/HttpExchange.h"
#include "platform/PlatformWording.h"
#include "platform/Settings.h"
#include "platform/SettingsChanges.h"

#include <QDesktopServices>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>

namespace {

QColor tintColor(MenuBarRules::Tint tint)
{
    switch (tint) {
    case MenuBarRules::Tint::SafeGreen:
        return QColor::fromRgbF(0.13f, 0.55f, 0.13f);
    case MenuBarRules::Tint::Orange:
        return QColor(0xff, 0x95, 0x00);
    case MenuBarRules::Tint::Red:
        return QColor(0xff, 0x3b, 0x30);
    case MenuBarRules::Tint::Secondary:
        break;
    }
    return QColor::fromRgbF(1, 1, 1, 0.55f);
}

MenuBarModel::Options withDefaults(MenuBarModel::Options options)
{
    if (!options.clock)
        options.clock = [] { return QDateTime::currentDateTimeUtc(); };
    if (!options.cleanupSources.freeDisk)
        options.cleanupSources.freeDisk = SystemResources::freeDiskBytes;
    if (!options.cleanupSources.availableRam)
        options.cleanupSources.availableRam = SystemResources::availableRamBytes;
    if (!options.cpuReader)
        options.cpuReader = readCpuSensor;
    if (!options.thermalProbe)
        options.thermalProbe = processThermalState;
    return options;
}

MenuBarModel::Options defaultOptions()
{
    MenuBarModel::Options options;
    options.vendorUrl = qEnvironmentVariable("HALVEX_VENDOR_URL");
    return options;
}

} // namespace

MenuBarModel::MenuBarModel(AppState& state, QObject* parent) : MenuBarModel(state, defaultOptions(), parent)
{
}

AutoCleanSchedule* MenuBarModel::autoCleanSchedule()
{
    return &m_state.autoClean();
}

MenuBarModel::MenuBarModel(AppState& state, Options options, QObject* parent)
    : QObject(parent), m_state(state), m_options(withDefaults(std::move(options))),
      m_cleanup(
          [&state](const QString& command, QObject* context, CleanupRun::Reply reply) {
              state.client().executeCommand(command, context, std::move(reply));
          },
          m_options.cleanupSources, m_options.cleanupTiming),
      m_cpu(m_options.cpuReader, m_options.thermalProbe, CpuTemperatureMonitor::defaultInterval)
{
    m_cleanup.setParent(this);
    m_automation.setParent(this);
    // The clean-up sheet's edits take effect at once: enabling, the interval and the choices.
    connect(&m_automation, &AutomationSettings::changed, &state.autoClean(), &AutoCleanSchedule::reschedule);
    m_relativeTimeTick.setInterval(m_options.relativeTimeTickMs);
    // Only the rows whose "… ago" text changed are redrawn.
    connect(&m_relativeTimeTick, &QTimer::timeout, this, [this] { m_rows.setRows(currentRows()); });
    m_disconnectRevert.setSingleShot(true);
    m_disconnectRevert.setInterval(m_options.disconnectRevertMs);
    connect(&m_disconnectRevert, &QTimer::timeout, this, [this] {
        m_showDisconnectConfirm = false;
        Q_EMIT telegramChanged();
    });
    m_cpu.setParent(this);
    connect(&m_cpu, &CpuTemperatureMonitor::cpuTempChanged, this, &MenuBarModel::takeCpuReading);
    connect(&m_cpu, &CpuTemperatureMonitor::cpuThermalStateChanged, this, &MenuBarModel::takeCpuReading);
    connect(&m_state, &AppState::engineAlertsChanged, this, &MenuBarModel::regroup);
    connect(&m_state.engine(), &MonitorEngine::isMonitoringChanged, this, &MenuBarModel::sensorsChanged);
    connect(&m_state.engine(), &MonitorEngine::watchStatesChanged, this, &MenuBarModel::sensorsChanged);
    connect(&m_state, &AppState::telegramStatusChanged, this, &MenuBarModel::telegramChanged);
    // With the backend down the row follows the stored token, whichever screen stored it.
    connect(&SettingsChanges::instance(), &SettingsChanges::changed, this, [this](const QString& key) {
        if (key == QLatin1String(SettingsKey::telegramBotToken))
            Q_EMIT telegramChanged();
    });
    // The level and the whitelist filter the list.
    connect(&m_automation, &AutomationSettings::changed, this, &MenuBarModel::regroup);
    regroup();
}

bool MenuBarModel::protectionEnabled() const
{
    return Settings().protectionEnabled();
}

void MenuBarModel::setProtectionEnabled(bool enabled)
{
    if (enabled == protectionEnabled())
        return;
    Settings().setProtectionEnabled(enabled);
    Q_EMIT protectionChanged();
    applyProtection();
}

void MenuBarModel::applyProtection()
{
    if (protectionEnabled())
        m_state.engine().start();
    else
        m_state.engine().stop();
}

void MenuBarModel::appeared()
{
    checkForUpdates();
    if (protectionEnabled() && !m_state.engine().isMonitoring())
        m_state.engine().start();
    m_cpu.startRefreshing();
}

void MenuBarModel::setShown(bool shown)
{
    if (shown == m_relativeTimeTick.isActive())
        return;
    if (shown) {
        m_rows.setRows(currentRows());
        m_relativeTimeTick.start();
    } else {
        m_relativeTimeTick.stop();
    }
}

QString MenuBarModel::protectionStatusText() const
{
    return PlatformWording::adapt(protectionEnabled() ? QStringLiteral("Your Mac is protected")
                                                      : QStringLiteral("Monitoring disabled"));
}

QString MenuBarModel::allClearTitle() const
{
    return protectionEnabled() ? EmojiText::markup(QStringLiteral("All clear 😌"))
                               : QStringLiteral("Monitoring inactive");
}

QString MenuBarModel::allClearLine() const
{
    return PlatformWording::adapt(protectionEnabled()
                                      ? QStringLiteral("No suspicious access detected")
                                      : QStringLiteral("Enable protection to monitor your Mac"));
}

MenuBarRules::WatchStatus MenuBarModel::watchStatus(MonitorEngine::WatchState state)
{
    switch (state) {
    case MonitorEngine::WatchState::Monitored:
        return MenuBarRules::WatchStatus::Monitored;
    case MonitorEngine::WatchState::Unavailable:
        return MenuBarRules::WatchStatus::Unavailable;
    case MonitorEngine::WatchState::Paused:
        break;
    }
    return MenuBarRules::WatchStatus::Paused;
}

QVariantList MenuBarModel::sensors() const
{
    struct Row
    {
        const char* type;
        const char* icon;
        const char* label;
    };
    static constexpr Row rows[] = {{"camera", "camera.fill", "Camera"},
                                   {"microphone", "mic.fill", "Microphone"},
                                   {"location", "location.fill", "Location"}};
    const MonitorEngine& engine = m_state.engine();
    QVariantList list;
    for (const Row& row : rows) {
        const QString type = QString::fromLatin1(row.type);
        const MenuBarRules::WatchStatus status = watchStatus(engine.watchState(type));
        list << QVariantMap{{QStringLiteral("type"), type},
                            {QStringLiteral("icon"), QString::fromLatin1(row.icon)},
                            {QStringLiteral("label"), QString::fromLatin1(row.label)},
                            {QStringLiteral("status"), MenuBarRules::watchStatusText(status)},
                            {QStringLiteral("reason"), status == MenuBarRules::WatchStatus::Unavailable
                                                           ? engine.unavailableReason(type)
                                                           : QString()},
                            {QStringLiteral("active"), status == MenuBarRules::WatchStatus::Monitored}};
    }
    return list;
}

void MenuBarModel::takeCpuReading()
{
    // A state nothing measured shows as "–", not as a green "Normal".
    setCpuReading(m_cpu.cpuTemp(), m_cpu.hasThermalState() ? int(m_cpu.cpuThermalState()) : -1);
}

void MenuBarModel::setCpuReading(std::optional<double> celsius, int thermalState)
{
    if (celsius == m_cpuTemp && thermalState == m_thermalState)
        return;
    m_cpuTemp = celsius;
    m_thermalState = thermalState;
    Q_EMIT cpuChanged();
}

QString MenuBarModel::cpuReading() const
{
    return m_cpuTemp ? MenuBarRules::cpuReading(*m_cpuTemp) : MenuBarRules::thermalLabel(m_thermalState);
}

QColor MenuBarModel::cpuIconColor() const
{
    return tintColor(MenuBarRules::cpuTempIconTint(m_cpuTemp, m_thermalState));
}

QColor MenuBarModel::thermalDotColor() const
{
    return tintColor(MenuBarRules::thermalDotTint(m_thermalState));
}

void MenuBarModel::regroup()
{
    m_groups =
        groupedAlerts(m_state.engineAlerts(), m_automation.privacyLevel(), m_automation.privacyWhitelist());
    refreshRows();
}

int MenuBarModel::hiddenCount() const
{
    return !m_showAllAlerts && m_groups.size() > collapsedRows ? int(m_groups.size()) - collapsedRows : 0;
}

void MenuBarModel::refreshRows()
{
    m_rows.setRows(currentRows());
    Q_EMIT groupsChanged();
}

QList<ActivityRows::Row> MenuBarModel::currentRows() const
{
    const QDateTime now = m_options.clock();
    const qsizetype shown = m_groups.size() - hiddenCount();
    QList<ActivityRows::Row> rows;
    rows.reserve(shown);
    for (qsizetype i = 0; i < shown; ++i)
        rows << rowOf(m_groups[i], now);
    return rows;
}

ActivityRows::Row MenuBarModel::rowOf(const GroupedAlert& group, const QDateTime& now) const
{
    const L10n::AppInfo info = L10n::friendlyApp(group.app);
    return {
        group.id,
        MenuBarRules::alertIcon(group.type),
        MenuBarRules::humanSentence(info.name, group.type),
        PlatformWording::adapt(info.desc),
        group.latestDate ? MenuBarRules::relativeTime(*group.latestDate, now) : QString(),
        group.count >= 2 ? L10n::timesCount(group.count) : QString(),
        m_blockedApps.contains(group.id),
        m_blockingApp == group.id || isBlockQueued(group.id),
    };
}

QString MenuBarModel::accessCountText() const
{
    // Every record counts, including those the level or the whitelist keep out of the list.
    return L10n::accessCount(int(m_state.engineAlerts().size()));
}

QString MenuBarModel::seeMoreText() const
{
    return L10n::seeMore(int(m_groups.size()) - collapsedRows);
}

void MenuBarModel::setShowAllAlerts(bool show)
{
    if (show == m_showAllAlerts)
        return;
    m_showAllAlerts = show;
    refreshRows();
}

bool MenuBarModel::isBlockQueued(const QString& groupId) const
{
    return std::any_of(m_queuedBlocks.cbegin(), m_queuedBlocks.cend(),
                       [&groupId](const QueuedBlock& block) { return block.groupId == groupId; });
}

void MenuBarModel::block(const QString& groupId)
{
    if (m_blockingApp == groupId || isBlockQueued(groupId) || m_blockedApps.contains(groupId))
        return;
    const auto group = std::find_if(m_groups.cbegin(), m_groups.cend(),
                                    [&groupId](const GroupedAlert& g) { return g.id == groupId; });
    if (group == m_groups.cend())
        return;
    const QueuedBlock block{groupId, QStringLiteral("block ") + group->type + u' ' + group->app};
    // A second Block while one is in flight waits its turn rather than being lost.
    if (m_blockingApp)
        m_queuedBlocks.append(block);
    else
        sendBlock(block);
    refreshRows();
}

void MenuBarModel::sendBlock(const QueuedBlock& block)
{
    m_blockingApp = block.groupId;
    m_state.client().executeCommand(block.command, this,
                                    [this, groupId = block.groupId](std::optional<QString>) {
                                        m_blockingApp.reset();
                                        m_blockedApps.insert(groupId);
                                        if (!m_queuedBlocks.isEmpty())
                                            sendBlock(m_queuedBlocks.takeFirst());
                                        refreshRows();
                                    });
}

void MenuBarModel::clearAlerts()
{
    m_state.engine().clearAlerts();
}

void MenuBarModel::freeUpSpace()
{
    m_cleanup.run(QStringLiteral("clean-all"));
}

bool MenuBarModel::isTelegramConnected() const
{
    if (m_state.telegramStatus() && m_state.telegramStatus()->configured)
        return true;
    return Settings().telegramBotToken().has_value();
}

void MenuBarModel::requestDisconnect()
{
    m_showDisconnectConfirm = true;
    m_disconnectRevert.start();
    Q_EMIT telegramChanged();
}

void MenuBarModel::disconnectTelegram()
{
    if (m_isDisconnecting)
        return;
    m_isDisconnecting = true;
    m_showDisconnectConfirm = false;
    m_disconnectRevert.stop();
    m_state.clearTelegramStatus();
    Settings settings;
    settings.remove(SettingsKey::telegramBotToken);
    settings.remove(SettingsKey::telegramChatId);
    Q_EMIT telegramChanged();
    m_state.client().disconnectTelegram(this, [this](bool ok) {
        if (ok)
            m_state.loadTelegramStatus();
        m_isDisconnecting = false;
        m_state.loadTelegramStatus();
        Q_EMIT telegramChanged();
    });
}

void MenuBarModel::setUpTelegram()
{
    AppNotifications::instance().post(QString::fromLatin1(AppNotifications::showOnboarding));
}

void MenuBarModel::openDashboard()
{
    Q_EMIT dashboardRequested();
}

void MenuBarModel::openUpdate()
{
    if (m_updateURL)
        QDesktopServices::openUrl(*m_updateURL);
}

void MenuBarModel::quit()
{
    Q_EMIT quitRequested();
}

QString MenuBarModel::versionText() const
{
    return QStringLiteral("v") + MenuBarRules::shortVersion();
}

void MenuBarModel::checkForUpdates()
{
    if (m_options.vendorUrl.isEmpty())
        return;
    HttpCall call;
    call.url = QUrl(m_options.vendorUrl + QStringLiteral("/version.json"));
    call.timeoutMs = 15000;
    HttpExchange::send(m_network, call, this, [this](const HttpOutcome& outcome) {
        if (!outcome.isOk())
            return;
        const QJsonObject document = QJsonDocument::fromJson(outcome.body).object();
        const QString version = document.value(QStringLiteral("version")).toString();
        const QUrl dmg(document.value(QStringLiteral("dmg")).toString());
        if (!dmg.isValid() || dmg.isEmpty() || dmg.isRelative())
            return;
        if (MenuBarRules::isNewerVersion(version, MenuBarRules::shortVersion()).value_or(false)) {
            m_updateURL = dmg;
            Q_EMIT updateChanged();
        }
    });
}
