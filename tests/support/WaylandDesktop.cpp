#include "support/WaylandDesktop.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QJsonArray>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

namespace {

const QString sessionUser = QStringLiteral("halvex-desktop");

QString barName(WaylandDesktop::Bar bar)
{
    return bar == WaylandDesktop::Bar::Bottom ? QStringLiteral("bottom") : QStringLiteral("top");
}

} // namespace

WaylandDesktop::WaylandDesktop(const Options& options)
    : m_options(options), m_busName(QStringLiteral("halvex-wayland-desktop-%1").arg(quintptr(this)))
{
}

WaylandDesktop::~WaylandDesktop()
{
    stop();
}

QString WaylandDesktop::unavailableReason()
{
    for (const char* program :
         {"sway", "swaymsg", "waybar", "grim", "mako", "wayvnc", "dbus-daemon", "dbus-send", "setpriv"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty())
            return QStringLiteral("%1 is missing: scripts/setup.sh installs it").arg(program);
    }
    // Only root needs the other user: sway refuses to run as root.
    if (::geteuid() == 0 && !::getpwnam(sessionUser.toLocal8Bit().constData()))
        return QStringLiteral("the user %1 is missing: scripts/setup.sh creates it").arg(sessionUser);
    return {};
}

bool WaylandDesktop::start()
{
    stop();
    QStringList arguments;
    if (m_options.bar == Bar::None)
        arguments << "--no-bar";
    else
        arguments << "--bar" << barName(m_options.bar);
    if (m_options.barDelaySeconds > 0)
        arguments << "--bar-delay" << QString::number(m_options.barDelaySeconds);

    // The script gives each step twenty seconds; a loaded machine may need most of them.
    return m_script.start(QStringLiteral("wayland-session.sh"), arguments, 90000);
}

void WaylandDesktop::stop()
{
    QDBusConnection::disconnectFromBus(m_busName);
    m_script.stop(10000);
}

QProcessEnvironment WaylandDesktop::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"WAYLAND_DISPLAY", "SWAYSOCK", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"})
        environment.insert(QString::fromLatin1(name), variable(QString::fromLatin1(name)));
    environment.insert("QT_QPA_PLATFORM", "wayland");
    environment.insert("XDG_SESSION_TYPE", "wayland");
    environment.insert("XDG_CURRENT_DESKTOP", "sway");
    environment.insert("LC_ALL", "C");
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_SOCKET");
    return environment;
}

bool WaylandDesktop::trayAvailable() const
{
    if (!isRunning())
        return false;
    QDBusConnection bus = QDBusConnection::connectToBus(variable("DBUS_SESSION_BUS_ADDRESS"), m_busName);
    QDBusMessage get = QDBusMessage::createMethodCall(
        "org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher", "org.freedesktop.DBus.Properties", "Get");
    get << QStringLiteral("org.kde.StatusNotifierWatcher")
        << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, 2000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

bool WaylandDesktop::waitForTray(int timeoutMs) const
{
    return QTest::qWaitFor([this] { return trayAvailable(); }, timeoutMs);
}

QImage WaylandDesktop::screenshot(const QString& path) const
{
    if (run("grim", {"-o", variable("OUTPUT"), path}) != 0)
        return {};
    return QImage(path);
}

QJsonDocument WaylandDesktop::tree() const
{
    return QJsonDocument::fromJson(swaymsg({"-t", "get_tree"}));
}

QSize WaylandDesktop::outputSize() const
{
    for (const QJsonValue& output : QJsonDocument::fromJson(swaymsg({"-t", "get_outputs"})).array()) {
        if (output["name"].toString() == variable("OUTPUT")) {
            const QJsonObject rect = output["rect"].toObject();
            return {rect["width"].toInt(), rect["height"].toInt()};
        }
    }
    return {};
}

bool WaylandDesktop::click(QPoint position) const
{
    // One message, so nothing else moves the pointer between the move and the press.
    const QString commands = QStringLiteral("seat seat0 cursor set %1 %2; seat seat0 cursor press button1; "
                                            "seat seat0 cursor release button1")
                                 .arg(position.x())
                                 .arg(position.y());
    const QJsonArray results = QJsonDocument::fromJson(swaymsg({commands})).array();
    if (results.size() != 3)
        return false;
    for (const QJsonValue& result : results) {
        if (!result["success"].toBool())
            return false;
    }
    return true;
}

QList<WaylandDesktop::Notice> WaylandDesktop::notices() const
{
    QList<Notice> notices;
    if (!isRunning())
        return notices;
    QDBusConnection bus = QDBusConnection::connectToBus(variable("DBUS_SESSION_BUS_ADDRESS"), m_busName);
    const QDBusMessage list = QDBusMessage::createMethodCall(
        "org.freedesktop.Notifications", "/fr/emersion/Mako", "fr.emersion.Mako", "ListNotifications");
    const QDBusMessage reply = bus.call(list, QDBus::Block, 2000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return notices;
    const QDBusArgument held = reply.arguments().constFirst().value<QDBusArgument>();
    held.beginArray();
    while (!held.atEnd()) {
        QVariantMap fields;
        held >> fields;
        notices.append({fields.value("app-name").toString(), fields.value("summary").toString(),
                        fields.value("body").toString()});
    }
    held.endArray();
    return notices;
}

int WaylandDesktop::run(const QString& program, const QStringList& arguments, QByteArray* output,
                        int timeoutMs) const
{
    return SessionScript::run(environment(), program, arguments, output, timeoutMs);
}

QByteArray WaylandDesktop::swaymsg(const QStringList& arguments) const
{
    QByteArray output;
    if (run("swaymsg", QStringList{"--raw"} + arguments, &output) != 0)
        return {};
    return output;
}
