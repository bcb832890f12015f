#pragma once

#include "support/SessionScript.h"

#include <QHash>
#include <QImage>
#include <QJsonValue>
#include <QList>
#include <QPair>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// A real GNOME desktop for one test: scripts/gnome-session.sh --session-only, that is GNOME Shell 43
// headless on Wayland with one 1366x768 virtual monitor, Xwayland, a private session bus and a private
// stand-in for the system bus, and optionally Ubuntu's AppIndicator extension, which hosts the
// StatusNotifierWatcher and shows items in the top bar. Programs started with environment() run in it
// as GNOME starts them (no Qt platform asked for). The shell runs in unsafe mode (a test extension),
// so the helpers below read its actors and windows through org.gnome.Shell.Eval, take screenshots
// through org.gnome.Shell.Screenshot and click with a Clutter virtual pointer, the way a user's
// pointer reaches the shell. The session ends with the object, or with the test process.
class GnomeDesktop
{
public:
    struct Options
    {
        bool appIndicator = true;
    };

    // A window as Mutter manages it.
    struct Window
    {
        QString title;
        QString wmClass;
        QRect frame;  // with Mutter's title bar and borders
        QRect client; // the application's own surface
        bool decorated = false;
        bool x11 = false;
        bool resizable = false;
        bool maximizable = false;
    };

    GnomeDesktop() : GnomeDesktop(Options{}) {}
    explicit GnomeDesktop(const Options& options);
    ~GnomeDesktop();
    GnomeDesktop(const GnomeDesktop&) = delete;
    GnomeDesktop& operator=(const GnomeDesktop&) = delete;

    // Why no session can start on this machine (a missing program, extension or user), empty when
    // one can; tests skip with it.
    static QString unavailableReason();

    // Returns once the script says READY (the shell started, left the overview and, with the
    // extension, owns the StatusNotifierWatcher name). False when it did not: then errorString() says
    // why, and unavailable() tells a machine without the tools from a failure.
    bool start();
    void stop();
    bool isRunning() const { return m_script.isRunning(); }
    bool unavailable() const { return m_script.unavailable(); }
    QString errorString() const { return m_script.errorString(); }

    // The session's values as the script printed them: WAYLAND_DISPLAY (an absolute path), DISPLAY,
    // XAUTHORITY, DBUS_SESSION_BUS_ADDRESS, DBUS_SYSTEM_BUS_ADDRESS, XDG_RUNTIME_DIR, SESSION_USER,
    // SHOT_DIR, SHELL_LOG.
    QString variable(const QString& name) const { return m_script.variable(name); }
    // The test's environment moved into the session: its displays, buses and runtime directory,
    // XDG_SESSION_TYPE=wayland, XDG_CURRENT_DESKTOP=GNOME, QT_QPA_PLATFORM unset, the C locale.
    QProcessEnvironment environment() const;

    // JavaScript run in the shell; the value it ends with, as JSON, or nothing when the shell refused
    // or the code threw.
    std::optional<QJsonValue> eval(const QString& code) const;

    // The shell's picture of the whole screen, also saved at path (a null image when it failed).
    QImage screenshot(const QString& path) const;
    QSize screenSize() const;
    // The top bar's rectangle on the screen.
    QRect topBar() const;

    // The top-bar button the AppIndicator extension made for the item whose bus name starts with
    // prefix (org.kde.StatusNotifierItem-<pid>-), in screen coordinates; empty while there is none.
    QRect indicatorButton(const QString& prefix) const;
    // The labels of that button's menu as the shell shows them, with their rectangles; empty when
    // the menu is closed.
    QList<QPair<QString, QRect>> openIndicatorMenu(const QString& prefix) const;

    // The virtual pointer moves to position (screen coordinates) and presses and releases the left
    // button once, or twice within the double-click time.
    bool click(QPoint position) const;
    bool doubleClick(QPoint position) const;
    // The virtual keyboard presses and releases one key (a Clutter key name such as "Escape").
    bool pressKey(const QString& keyName) const;

    // Mutter's windows of a WM_CLASS (case-insensitive), the shell's own excepted.
    QList<Window> windows(const QString& wmClass) const;

    // Runs a program in the session and returns its exit code (-1 when it crashed or hung).
    int run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr,
            int timeoutMs = 10000) const;

private:
    Options m_options;
    SessionScript m_script;
    QString m_busName;
};
