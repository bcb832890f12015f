#include "app/TrayIcon.h"

#include "app/AppState.h"
#include "app/DesktopSession.h"
#include "app/StatusNotifierItem.h"
#include "model/Timestamp.h"

#include <QGuiApplication>
#include <QPalette>
#include <QStandardPaths>

#include <algorithm>

namespace {

// An XEmbed tray has no signal of its own when it appears; while there is none it is looked for
// this often.
constexpr int systemTrayPollMs = 2000;
// StatusNotifier hosts draw our pixels on bars of their own colours, which Qt's palette does not
// know: the bars of waybar, GNOME Shell and Plasma's dark themes are dark, so the plain shield is
// light there (hosts that find the icon by name recolour it themselves).
const QColor statusNotifierShield(0xEC, 0xEC, 0xEC);

} // namespace

bool TrayIcon::themeIconInstalled()
{
    return !QStandardPaths::locate(
                QStandardPaths::GenericDataLocation,
                QStringLiteral("icons/hicolor/symbolic/apps/%1.svg").arg(QLatin1String(themeIconName)))
                .isEmpty();
}

TrayIcon::Host TrayIcon::hostForPlatform()
{
    return DesktopSession::usesStatusNotifier(DesktopSession::Environment::current(),
                                              QGuiApplication::platformName())
               ? Host::StatusNotifier
               : Host::SystemTray;
}

TrayIcon::TrayIcon(AppState& state, Clock clock, Host host, QObject* parent)
    : QObject(parent), m_state(state),
      m_clock(clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTimeUtc(); })), m_host(host)
{
    if (m_host == Host::StatusNotifier) {
        m_item = std::make_unique<StatusNotifierItem>(&m_menu);
        connect(m_item.get(), &StatusNotifierItem::activated, this,
                [this](QPoint position) { Q_EMIT clicked(position); });
        connect(m_item.get(), &StatusNotifierItem::availableChanged, this,
                [this] { Q_EMIT trayAvailableChanged(m_item->isAvailable()); });
    } else {
        m_systemTray = std::make_unique<QSystemTrayIcon>();
        m_systemTray->setContextMenu(&m_menu);
        connect(m_systemTray.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger)
                        Q_EMIT clicked(std::nullopt);
                });
        m_systemTrayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
        m_trayPoll.setInterval(systemTrayPollMs);
        connect(&m_trayPoll, &QTimer::timeout, this, &TrayIcon::pollSystemTray);
        m_trayPoll.start();
    }
    m_recentExpiry.setSingleShot(true);
    connect(&m_recentExpiry, &QTimer::timeout, this, &TrayIcon::refresh);
    connect(&m_state, &AppState::isConnectedChanged, this, &TrayIcon::refresh);
    connect(&m_state, &AppState::alertsChanged, this, &TrayIcon::refresh);
    connect(&m_state, &AppState::statsChanged, this, &TrayIcon::refresh);
    connect(&m_state, &AppState::backendAnsweringChanged, this, &TrayIcon::refresh);
    if (qGuiApp)
        qGuiApp->installEventFilter(this);
    refresh();
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::show()
{
    if (m_systemTray)
        m_systemTray->show();
}

bool TrayIcon::isTrayAvailable() const
{
    return m_item ? m_item->isAvailable() : m_systemTrayAvailable;
}

void TrayIcon::pollSystemTray()
{
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    if (available == m_systemTrayAvailable)
        return;
    m_systemTrayAvailable = available;
    Q_EMIT trayAvailableChanged(available);
}

QColor TrayIcon::primaryColor() const
{
    if (m_host == Host::StatusNotifier)
        return statusNotifierShield;
    return QGuiApplication::palette().color(QPalette::WindowText);
}

void TrayIcon::refresh()
{
    const QDateTime now = m_clock();
    // The latest answer counts, the connection check's or a poll's: a backend that stopped (or came up
    // after the start) shows as such at the next refresh.
    const StatusIcon::Tint tint = StatusIcon::tint(m_state.backendAnswering(), m_state.alerts(), now);
    const std::optional<int> count =
        StatusIcon::badgeCount(m_state.stats() ? std::optional<int>(m_state.stats()->today) : std::nullopt);
    // Orange lasts five minutes from the newest event: one timer for that moment, no polling.
    m_recentExpiry.stop();
    if (tint == StatusIcon::Tint::Orange) {
        const QDateTime newest = *Timestamp::parse(m_state.alerts().first().timestamp);
        m_recentExpiry.start(int(std::clamp<qint64>(now.msecsTo(newest.addSecs(300)) + 1, 0, 300000)));
    }
    const QColor primary = primaryColor();
    if (m_drawn && tint == m_tint && count == m_count && primary == m_primary)
        return;
    m_tint = tint;
    m_count = count;
    m_primary = primary;
    m_drawn = true;
    m_drawnIcon = StatusIcon::render(tint, count, primary, qGuiApp ? qGuiApp->devicePixelRatio() : 1.0);
    if (m_systemTray) {
        m_systemTray->setIcon(m_drawnIcon);
        m_systemTray->setToolTip(StatusIcon::toolTip(tint));
    }
    if (m_item) {
        // Only the plain shield goes by name, and only where it is installed (a host that finds no
        // such icon draws a "missing" one instead of our pixels): the tints and the badge exist only
        // in our pixels.
        const bool plain = tint == StatusIcon::Tint::Primary && !count;
        m_item->setIconName(plain && themeIconInstalled() ? QString::fromLatin1(themeIconName) : QString());
        m_item->setIcon(m_drawnIcon);
        m_item->setToolTip(QStringLiteral("Halvex"), StatusIcon::toolTip(tint));
    }
}

std::optional<QRect> TrayIcon::geometry() const
{
    const QRect rect = m_systemTray ? m_systemTray->geometry() : QRect();
    if (!rect.isValid() || rect.isEmpty())
        return std::nullopt;
    return rect;
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == qGuiApp && event->type() == QEvent::ApplicationPaletteChange)
        refresh();
    return QObject::eventFilter(watched, event);
}
