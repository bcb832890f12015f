#include "app/TrayIcon.h"

#include "app/AppState.h"
#include "model/Timestamp.h"

#include <QGuiApplication>

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
    connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            Q_EMIT clicked();
    });
    refresh();
}

void TrayIcon::show()
{
    m_icon.show();
}

void TrayIcon::refresh()
{
    const QDateTime now = m_clock();
    const StatusIcon::Tint tint = StatusIcon::tint(m_state.isConnected(), m_state.alerts(), now);
    const std::optional<int> count =
        StatusIcon::badgeCount(m_state.stats() ? std::optional<int>(m_state.stats()->today) : std::nullopt);
    // Orange lasts five minutes from the newest event: one timer for that moment, no polling.
    m_recentExpiry.stop();
    if (tint == StatusIcon::Tint::Orange) {
        const QDateTime newest = *Timestamp::parse(m_state.alerts().first().timestamp);
        m_recentExpiry.start(int(std::clamp<qint64>(now.msecsTo(newest.addSecs(300)) + 1, 0, 300000)));
    }
    if (m_drawn && tint == m_tint && count == m_count)
        return;
    m_tint = tint;
    m_count = count;
    m_drawn = true;
    m_icon.setIcon(StatusIcon::render(tint, count, qGuiApp ? qGuiApp->devicePixelRatio() : 1.0));
}
