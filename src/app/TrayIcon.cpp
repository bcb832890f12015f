#include "app/TrayIcon.h"

#include "app/AppState.h"
#include "model/Timestamp.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>

TrayIcon::TrayIcon(AppState& state, Clock clock, QObject* parent)
    : QObject(parent), m_state(state),
      m_clock(clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTimeUtc(); }))
{
    m_icon.setToolTip(QStringLiteral("Halvex"));
    m_icon.setContextMenu(&m_menu);
    m_recentExpiry.setSingleShot(true);
    connect(&m_recentExpiry, &QTimer::timeout, this, &TrayIcon::refresh);
    connect(&m_state, &AppState::isConnectedChanged, this, &TrayIcon::refresh);
    connect(&m_state, &AppState::alertsChanged, this, &TrayIcon::refresh);
    connect(&m_state, &AppState::statsChanged, this, &TrayIcon::refresh);
    connect(&m_state, &AppState::backendAnsweringChanged, this, &TrayIcon::refresh);
    connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            Q_EMIT clicked();
    });
    if (qGuiApp)
        qGuiApp->installEventFilter(this);
    refresh();
}

void TrayIcon::show()
{
    m_icon.show();
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
    const QColor primary = QGuiApplication::palette().color(QPalette::WindowText);
    if (m_drawn && tint == m_tint && count == m_count && primary == m_primary)
        return;
    m_tint = tint;
    m_count = count;
    m_primary = primary;
    m_drawn = true;
    m_icon.setIcon(StatusIcon::render(tint, count, primary, qGuiApp ? qGuiApp->devicePixelRatio() : 1.0));
    m_icon.setToolTip(StatusIcon::toolTip(tint));
}

std::optional<QRect> TrayIcon::geometry() const
{
    const QRect rect = m_icon.geometry();
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
