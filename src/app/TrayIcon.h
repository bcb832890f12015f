#pragma once

#include "app/StatusIcon.h"

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>

class AppState;

// The shield in the system tray, redrawn whenever the state it shows changes, and once more when the
// newest backend event stops being recent.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    TrayIcon(AppState& state, Clock clock = {}, QObject* parent = nullptr);

    QSystemTrayIcon& icon() { return m_icon; }
    QMenu& menu() { return m_menu; }
    StatusIcon::Tint tint() const { return m_tint; }
    std::optional<int> count() const { return m_count; }

    void show();
    // The icon's rectangle on screen when the tray tells it.
    std::optional<QRect> geometry() const;

Q_SIGNALS:
    // The user clicked the icon.
    void clicked();

protected:
    // The desktop's colours changed: the plain shield follows its text colour.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();

    AppState& m_state;
    Clock m_clock;
    QSystemTrayIcon m_icon;
    QMenu m_menu;
    QTimer m_recentExpiry;
    StatusIcon::Tint m_tint = StatusIcon::Tint::Primary;
    std::optional<int> m_count;
    QColor m_primary;
    bool m_drawn = false;
};
