#pragma once

#include "app/StatusIcon.h"

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>
#include <memory>

class AppState;
class StatusNotifierItem;

// The shield in the system tray, redrawn whenever the state it shows changes, and once more when the
// newest backend event stops being recent. It reaches the tray through Qt's tray icon on X11 (an
// XEmbed tray, or Qt's own D-Bus item), and through a StatusNotifierItem of ours on Wayland, where the
// bars' trays are StatusNotifierWatchers that may start after Halvex and restart at any time.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;
    enum class Host { SystemTray, StatusNotifier };
    // The icon name hosts look up in the icon theme, so they can recolour the shield for their bar.
    static constexpr char themeIconName[] = "org.halvex.Halvex-symbolic";

    // Whether the icon theme holds our symbolic shield (the package installs it in hicolor).
    static bool themeIconInstalled();
    // StatusNotifier in Wayland sessions, SystemTray on X11.
    static Host hostForPlatform();

    explicit TrayIcon(AppState& state, Clock clock = {}, Host host = hostForPlatform(),
                      QObject* parent = nullptr);
    ~TrayIcon() override;

    Host host() const { return m_host; }
    QMenu& menu() { return m_menu; }
    // The icon as last drawn, whichever host shows it.
    QIcon icon() const { return m_drawnIcon; }
    StatusIcon::Tint tint() const { return m_tint; }
    std::optional<int> count() const { return m_count; }
    // Null on the SystemTray host.
    StatusNotifierItem* statusNotifierItem() { return m_item.get(); }

    void show();
    // Whether a tray is there to show the icon now; trayAvailableChanged follows it.
    bool isTrayAvailable() const;
    // The icon's rectangle on screen when the tray tells it.
    std::optional<QRect> geometry() const;

Q_SIGNALS:
    // The user clicked the icon; `hostPosition` is the point a StatusNotifier host passed with the
    // click, whatever its origin (waybar's lies inside the icon, KDE's on the screen).
    void clicked(std::optional<QPoint> hostPosition);
    void trayAvailableChanged(bool available);

protected:
    // The desktop's colours changed: the plain shield follows its text colour.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    QColor primaryColor() const;
    void pollSystemTray();

    AppState& m_state;
    Clock m_clock;
    Host m_host;
    QMenu m_menu;
    std::unique_ptr<QSystemTrayIcon> m_systemTray;
    std::unique_ptr<StatusNotifierItem> m_item;
    QTimer m_recentExpiry;
    QTimer m_trayPoll;
    bool m_systemTrayAvailable = false;
    StatusIcon::Tint m_tint = StatusIcon::Tint::Primary;
    std::optional<int> m_count;
    QColor m_primary;
    QIcon m_drawnIcon;
    bool m_drawn = false;
};
