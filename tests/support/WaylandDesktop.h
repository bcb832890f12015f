#pragma once

#include "support/SessionScript.h"

#include <QHash>
#include <QImage>
#include <QJsonDocument>
#include <QList>
#include <QPoint>
#include <QProcess>
#include <QSize>
#include <QString>

// A real Wayland desktop for one test: scripts/wayland-session.sh --session-only, that is headless
// sway with one 1366x768 output, a private session bus, waybar's StatusNotifierItem tray, mako for
// the notices and a pointer and keyboard on seat0. Programs started with environment() run in it
// (Qt on its Wayland platform); the helpers below look at it and act on it the way a user would.
// The session ends with the object, or with the test process, whichever goes first.
class WaylandDesktop
{
public:
    enum class Bar { Top, Bottom, None };
    struct Options
    {
        Bar bar = Bar::Top;
        // waybar, and with it the tray, starts this long after the session is ready.
        int barDelaySeconds = 0;
    };

    // A notice as mako holds it: mako keeps every one until it is dismissed, whatever its time-out.
    struct Notice
    {
        QString appName;
        QString summary;
        QString body;
    };

    WaylandDesktop() : WaylandDesktop(Options{}) {}
    explicit WaylandDesktop(const Options& options);
    ~WaylandDesktop();
    WaylandDesktop(const WaylandDesktop&) = delete;
    WaylandDesktop& operator=(const WaylandDesktop&) = delete;

    // Why no session can start on this machine (a missing program or user), empty when one can;
    // tests skip with it.
    static QString unavailableReason();

    // Returns once the script says READY (sway answers, mako holds the notification name and, unless
    // the bar comes late or not at all, the tray and the bar are up). False when it did not: then
    // errorString() says why, and unavailable() tells a machine without the tools from a failure.
    bool start();
    void stop();
    bool isRunning() const { return m_script.isRunning(); }
    bool unavailable() const { return m_script.unavailable(); }
    QString errorString() const { return m_script.errorString(); }

    // The session's own values as the script printed them: WAYLAND_DISPLAY (an absolute path),
    // SWAYSOCK, DBUS_SESSION_BUS_ADDRESS, XDG_RUNTIME_DIR, SESSION_USER, OUTPUT.
    QString variable(const QString& name) const { return m_script.variable(name); }
    // The test's environment moved into the session: its display, bus, runtime directory and sway
    // socket, Qt on Wayland, no X display, the C locale.
    QProcessEnvironment environment() const;

    // The tray exists when a StatusNotifierWatcher is on the bus and a host has registered with it,
    // which is when Qt's tray icon reports a system tray.
    bool trayAvailable() const;
    bool waitForTray(int timeoutMs = 20000) const;

    // grim's picture of the output, also saved at path (a null image when grim failed).
    QImage screenshot(const QString& path) const;
    // sway's layout tree (swaymsg -t get_tree); null when sway did not answer.
    QJsonDocument tree() const;
    QSize outputSize() const;
    // Moves seat0's pointer to position (output coordinates) and presses and releases the left button.
    bool click(QPoint position) const;

    QList<Notice> notices() const;

    // Runs a program in the session and returns its exit code (-1 when it crashed or hung).
    int run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr,
            int timeoutMs = 10000) const;

private:
    QByteArray swaymsg(const QStringList& arguments) const;

    Options m_options;
    SessionScript m_script;
    QString m_busName;
};

// Starts `desktop` for the running test function: skips it where this machine cannot run a session,
// fails it where the session did not come up. A macro, so the skip or failure ends the test function
// itself rather than a helper it called.
#define START_WAYLAND_DESKTOP_OR_SKIP(desktop)                                                               \
    do {                                                                                                     \
        if (!(desktop).start()) {                                                                            \
            if ((desktop).unavailable())                                                                     \
                QSKIP(qPrintable((desktop).errorString()));                                                  \
            QFAIL(qPrintable(QStringLiteral("the Wayland session did not come up: ") +                       \
                             (desktop).errorString()));                                                      \
        }                                                                                                    \
    } while (false)
