#include "app/SettingsModel.h"

#include "app/AppState.h"
#include "app/DashboardRules.h"
#include "app/MenuBarRules.h"
#include "monitor/MonitorEngine.h"
#include "monitor/SoundServerSockets.h"
#include "platform/Autostart.h"
#include "platform/HttpExchange.h"
#include "platform/HttpUrl.h"
#include "platform/Platform.h"
#include "platform/PlatformWording.h"
#include "platform/SystemRoots.h"
#include "platform/ToolPaths.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

SettingsModel::SettingsModel(AppState& state, QObject* parent) : SettingsModel(state, systemProbes(), parent)
{
}

SettingsModel::SettingsModel(AppState& state, Probes probes, QObject* parent)
    : QObject(parent), m_state(state), m_probes(std::move(probes))
{
    connect(&m_state.engine(), &MonitorEngine::isMonitoringChanged, this, &SettingsModel::monitoringChanged);
    connect(&m_state.engine(), &MonitorEngine::watchStatesChanged, this, &SettingsModel::monitoringChanged);
    connect(&m_state, &AppState::alertsChanged, this, &SettingsModel::alertsStoredChanged);
    connect(&m_state, &AppState::trayShownChanged, this, &SettingsModel::trayAdviceChanged);
}

SettingsModel::Probes SettingsModel::systemProbes()
{
    return {SystemRoots::procRoot(),
            SystemRoots::devRoot(),
            ToolPaths::path(Tool::PwDump),
            ToolPaths::path(Tool::Pactl),
            qEnvironmentVariable("XDG_RUNTIME_DIR"),
            QStringLiteral("/usr/share/dbus-1/system-services/org.freedesktop.GeoClue2.service")};
}

QList<SettingsModel::Source> SettingsModel::probeSources(const Probes& probes)
{
    const bool proc = QFileInfo(probes.procRoot + QStringLiteral("/self/fd")).isReadable();
    const bool video =
        !QDir(probes.devRoot).entryList({QStringLiteral("video*")}, QDir::System | QDir::Files).isEmpty();
    // A sound server is there when its tool can ask it and its socket exists: an installed tool
    // alone watches nothing.
    const bool runtime = !probes.runtimeDirectory.isEmpty();
    const auto served = [&](const QString& tool, const QString& socket) {
        return QFileInfo(tool).isExecutable() && runtime && QFileInfo::exists(socket);
    };
    return {
        {QStringLiteral("Processes (/proc)"), QStringLiteral("which programs hold a camera device open"),
         proc},
        {QStringLiteral("Video devices"), QStringLiteral("/dev/video* openings"), video},
        {QStringLiteral("PipeWire"), QStringLiteral("microphone and portal camera streams"),
         served(probes.pwDump, SoundServerSockets::pipeWirePath(probes.runtimeDirectory))},
        {QStringLiteral("PulseAudio"), QStringLiteral("microphone recordings when PipeWire is absent"),
         served(probes.pactl, SoundServerSockets::pulseAudioPath(probes.runtimeDirectory))},
        {QStringLiteral("GeoClue"), QStringLiteral("location requests"),
         QFileInfo::exists(probes.geoClueService)},
    };
}

bool SettingsModel::isMonitoring() const
{
    return m_state.engine().isMonitoring();
}

QString SettingsModel::monitoringText() const
{
    // The same watch states as the panel's sensor rows: a source that cannot watch is not named.
    QStringList watched;
    for (const char* type : {"camera", "microphone", "location"}) {
        if (m_state.engine().watchState(QLatin1String(type)) == MonitorEngine::WatchState::Monitored)
            watched.append(QLatin1String(type));
    }
    return monitoringText(isMonitoring(), watched);
}

QString SettingsModel::monitoringText(bool monitoring, const QStringList& watchedTypes)
{
    if (!monitoring)
        return QStringLiteral("Stopped");
    if (watchedTypes.isEmpty())
        return QStringLiteral("Active — nothing can be watched on this computer");
    QString names = watchedTypes.constLast();
    if (watchedTypes.size() > 1)
        names = watchedTypes.first(watchedTypes.size() - 1).join(QStringLiteral(", ")) +
                QStringLiteral(" & ") + names;
    return QStringLiteral("Active — %1 monitored").arg(names);
}

QString SettingsModel::monitoringButtonText() const
{
    return isMonitoring() ? QStringLiteral("Stop Monitoring") : QStringLiteral("Start Monitoring");
}

int SettingsModel::alertsStored() const
{
    return int(m_state.alerts().size());
}

bool SettingsModel::isMacOS() const
{
    return Platform::isMacOS();
}

QString SettingsModel::xmtpNote() const
{
    return PlatformWording::adapt(QStringLiteral("Control your Mac via end-to-end encrypted messages"));
}

QString SettingsModel::trayAdvice() const
{
    return trayAdviceFor(m_state.trayShown(), Platform::current(),
                         qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
}

QString SettingsModel::trayAdviceFor(bool trayShown, Platform::Kind platform, const QString& currentDesktop)
{
    if (trayShown || platform == Platform::Kind::MacOS)
        return {};
    const QStringList desktops = currentDesktop.split(u':', Qt::SkipEmptyParts);
    if (desktops.contains(u"GNOME", Qt::CaseInsensitive))
        return QStringLiteral(
            "GNOME shows no tray icons. With the AppIndicator extension (package "
            "gnome-shell-extension-appindicator, then enable it in Extensions), Halvex's shield "
            "appears in the top bar.");
    return QStringLiteral("This desktop shows no tray icons: Halvex's window comes back when you open Halvex "
                          "from your applications.");
}

QString SettingsModel::diskAccessNote() const
{
    if (isMacOS())
        return QStringLiteral("Halvex needs Full Disk Access to view and manage app permissions.");
    return QStringLiteral("Halvex needs no special access on Linux: it reads these system sources with your "
                          "own rights.");
}

QVariantList SettingsModel::sources() const
{
    QVariantList list;
    for (const Source& source : m_sources) {
        list << QVariantMap{{QStringLiteral("name"), source.name},
                            {QStringLiteral("detail"), source.detail},
                            {QStringLiteral("available"), source.available}};
    }
    return list;
}

bool SettingsModel::startAtLogin() const
{
    return Autostart::isEnabled();
}

void SettingsModel::setStartAtLogin(bool enabled)
{
    if (enabled == startAtLogin())
        return;
    Autostart::setEnabled(enabled);
    Q_EMIT startAtLoginChanged();
}

bool SettingsModel::startAtLoginSupported() const
{
    return Autostart::isSupported();
}

QString SettingsModel::versionText() const
{
    return MenuBarRules::shortVersion();
}

void SettingsModel::appeared()
{
    fetchXMTPStatus();
    if (!isMacOS()) {
        const QList<Source> probed = probeSources(m_probes);
        if (probed != m_sources) {
            m_sources = probed;
            Q_EMIT sourcesChanged();
        }
    }
}

void SettingsModel::fetchXMTPStatus()
{
    HttpCall call;
    call.url = HttpUrl::appendPath(m_state.client().apiURL(), QStringLiteral("api/xmtp-address"));
    call.timeoutMs = 10000;
    HttpExchange::send(m_network, call, this, [this](const HttpOutcome& outcome) {
        // Whatever the status, a JSON object in the body is the answer; anything else changes nothing.
        const std::optional<DashboardRules::XmtpState> state = DashboardRules::xmtpFromReply(outcome.body);
        if (!state || (state->running == m_xmtpRunning && state->address == m_xmtpAddress))
            return;
        m_xmtpRunning = state->running;
        m_xmtpAddress = state->address;
        Q_EMIT xmtpChanged();
    });
}

void SettingsModel::copyAddress()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(m_xmtpAddress);
}

void SettingsModel::toggleMonitoring()
{
    if (isMonitoring())
        m_state.engine().stop();
    else
        m_state.engine().start();
}

void SettingsModel::clearAllAlerts()
{
    m_state.engine().setAlerts({});
    m_state.engine().persistAlerts();
}

void SettingsModel::openPrivacySettings()
{
    if (isMacOS())
        QDesktopServices::openUrl(
            QUrl(QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles")));
}

void SettingsModel::openXmtpChat()
{
    QDesktopServices::openUrl(QUrl(QStringLiteral("https://xmtp.chat/")));
}
