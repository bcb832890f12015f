#include "support/GnomeDesktop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

namespace {

const QString sessionUser = QStringLiteral("halvex-desktop");
const QString appIndicatorExtension =
    QStringLiteral("/usr/share/gnome-shell/extensions/ubuntu-appindicators@ubuntu.com");

// A JavaScript string literal holding text, for code sent to Eval.
QString quoted(const QString& text)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact))
        .mid(1)
        .chopped(1);
}

QRect rectFrom(const QJsonValue& value)
{
    const QJsonObject rect = value.toObject();
    return {rect["x"].toInt(), rect["y"].toInt(), rect["width"].toInt(), rect["height"].toInt()};
}

// An actor's rectangle on the stage, which is the screen.
const char* actorRectJs = "const actorRect = a => { const [x, y] = a.get_transformed_position(); "
                          "const [width, height] = a.get_transformed_size(); "
                          "return {x: Math.round(x), y: Math.round(y), width: Math.round(width), "
                          "height: Math.round(height)}; };";

// The top-bar button of the AppIndicator item whose bus name starts with the prefix given.
QString indicatorJs(const QString& prefix)
{
    return QStringLiteral("const button = Object.entries(Main.panel.statusArea).find(([key, item]) => "
                          "item && key.startsWith('appindicator-' + %1))?.[1];")
        .arg(quoted(prefix));
}

// The pointer and keyboard stay for the whole session, as a user's do; the shell keeps them on its
// global object between calls.
const char* devicesJs =
    "const {Clutter, GLib} = imports.gi;"
    "const seat = Clutter.get_default_backend().get_default_seat();"
    "if (!globalThis.halvexPointer)"
    "  globalThis.halvexPointer = seat.create_virtual_device(Clutter.InputDeviceType.POINTER_DEVICE);"
    "if (!globalThis.halvexKeyboard)"
    "  globalThis.halvexKeyboard = seat.create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE);"
    "const pointer = globalThis.halvexPointer, keyboard = globalThis.halvexKeyboard;"
    "const now = GLib.get_monotonic_time();";

} // namespace

GnomeDesktop::GnomeDesktop(const Options& options)
    : m_options(options), m_busName(QStringLiteral("halvex-gnome-desktop-%1").arg(quintptr(this)))
{
}

GnomeDesktop::~GnomeDesktop()
{
    stop();
}

QString GnomeDesktop::unavailableReason()
{
    for (const char* program : {"gnome-shell", "Xwayland", "gsettings", "gdbus", "dbus-daemon", "dbus-send",
                                "setpriv", "xdotool"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty())
            return QStringLiteral("%1 is missing: scripts/setup.sh installs it").arg(program);
    }
    if (!QFileInfo(appIndicatorExtension).isDir())
        return QStringLiteral("the AppIndicator extension (gnome-shell-extension-appindicator) is missing: "
                              "scripts/setup.sh installs it");
    // Only root needs the other user: as root, the shell covers its top bar with a warning.
    if (::geteuid() == 0 && !::getpwnam(sessionUser.toLocal8Bit().constData()))
        return QStringLiteral("the user %1 is missing: scripts/setup.sh creates it").arg(sessionUser);
    return {};
}

bool GnomeDesktop::start()
{
    stop();
    QStringList arguments;
    if (m_options.appIndicator)
        arguments << "--appindicator";

    // The script gives the shell a minute to start; a loaded machine may need most of it.
    return m_script.start(QStringLiteral("gnome-session.sh"), arguments, 120000);
}

void GnomeDesktop::stop()
{
    QDBusConnection::disconnectFromBus(m_busName);
    m_script.stop(15000);
}

QProcessEnvironment GnomeDesktop::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"WAYLAND_DISPLAY", "DISPLAY", "XAUTHORITY", "DBUS_SESSION_BUS_ADDRESS",
                             "DBUS_SYSTEM_BUS_ADDRESS", "XDG_RUNTIME_DIR"})
        environment.insert(QString::fromLatin1(name), variable(QString::fromLatin1(name)));
    environment.insert("XDG_SESSION_TYPE", "wayland");
    environment.insert("XDG_CURRENT_DESKTOP", "GNOME");
    environment.insert("LC_ALL", "C");
    environment.remove("QT_QPA_PLATFORM");
    environment.remove("WAYLAND_SOCKET");
    return environment;
}

std::optional<QJsonValue> GnomeDesktop::eval(const QString& code) const
{
    if (!isRunning())
        return std::nullopt;
    QDBusConnection bus = QDBusConnection::connectToBus(variable("DBUS_SESSION_BUS_ADDRESS"), m_busName);
    QDBusMessage call =
        QDBusMessage::createMethodCall("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell", "Eval");
    call << code;
    const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2 ||
        !reply.arguments().at(0).toBool()) {
        qWarning().noquote() << "Eval failed:" << reply.errorMessage()
                             << (reply.arguments().size() == 2 ? reply.arguments().at(1).toString()
                                                               : QString());
        return std::nullopt;
    }
    // The shell answers JSON.stringify of the value, empty for undefined; an array holds any of them.
    const QByteArray json = "[" + reply.arguments().at(1).toString().toUtf8() + "]";
    const QJsonArray values = QJsonDocument::fromJson(json).array();
    return values.isEmpty() ? QJsonValue(QJsonValue::Undefined) : values.first();
}

QImage GnomeDesktop::screenshot(const QString& path) const
{
    if (!isRunning())
        return {};
    // The shell writes the file as its own user, into a directory that user may write.
    const QString shot = QDir(variable("SHOT_DIR")).filePath(QFileInfo(path).fileName());
    QFile::remove(shot);
    QDBusConnection bus = QDBusConnection::connectToBus(variable("DBUS_SESSION_BUS_ADDRESS"), m_busName);
    QDBusMessage call =
        QDBusMessage::createMethodCall("org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot",
                                       "org.gnome.Shell.Screenshot", "Screenshot");
    call << false << false << shot;
    const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty() ||
        !reply.arguments().first().toBool()) {
        qWarning().noquote() << "Screenshot failed:" << reply.errorMessage();
        return {};
    }
    QImage image(shot);
    QFile::remove(shot);
    if (!image.isNull())
        image.save(path);
    return image;
}

QSize GnomeDesktop::screenSize() const
{
    const std::optional<QJsonValue> size = eval("[global.screen_width, global.screen_height]");
    if (!size)
        return {};
    return {size->toArray().at(0).toInt(), size->toArray().at(1).toInt()};
}

QRect GnomeDesktop::topBar() const
{
    const std::optional<QJsonValue> rect = eval(QString::fromLatin1(actorRectJs) + "actorRect(Main.panel)");
    return rect ? rectFrom(*rect) : QRect();
}

QRect GnomeDesktop::indicatorButton(const QString& prefix) const
{
    const std::optional<QJsonValue> rect =
        eval(QString::fromLatin1(actorRectJs) + indicatorJs(prefix) +
             "button && button.is_mapped() && button.get_width() > 0 ? actorRect(button) : null");
    return rect && rect->isObject() ? rectFrom(*rect) : QRect();
}

QList<QPair<QString, QRect>> GnomeDesktop::openIndicatorMenu(const QString& prefix) const
{
    QList<QPair<QString, QRect>> items;
    const std::optional<QJsonValue> found = eval(
        QString::fromLatin1(actorRectJs) + indicatorJs(prefix) +
        "const PopupMenu = imports.ui.popupMenu;"
        "button && button.menu.isOpen ? button.menu._getMenuItems()"
        "  .filter(item => item.visible && item.label && !(item instanceof PopupMenu.PopupSeparatorMenuItem))"
        "  .map(item => ({label: item.label.text, rect: actorRect(item)})) : []");
    if (!found)
        return items;
    for (const QJsonValue& item : found->toArray())
        items.append({item["label"].toString(), rectFrom(item["rect"])});
    return items;
}

bool GnomeDesktop::click(QPoint position) const
{
    const std::optional<QJsonValue> done =
        eval(QString::fromLatin1(devicesJs) +
             QStringLiteral(
                 "pointer.notify_absolute_motion(now, %1, %2);"
                 "pointer.notify_button(now + 1000, Clutter.BUTTON_PRIMARY, Clutter.ButtonState.PRESSED);"
                 "pointer.notify_button(now + 60000, Clutter.BUTTON_PRIMARY, Clutter.ButtonState.RELEASED);"
                 "true")
                 .arg(position.x())
                 .arg(position.y()));
    return done && done->toBool();
}

bool GnomeDesktop::doubleClick(QPoint position) const
{
    // 120 ms apart, well inside GNOME's double-click time (400 ms).
    const std::optional<QJsonValue> done =
        eval(QString::fromLatin1(devicesJs) +
             QStringLiteral("pointer.notify_absolute_motion(now, %1, %2);"
                            "for (const offset of [0, 120000]) {"
                            "  pointer.notify_button(now + offset + 1000, Clutter.BUTTON_PRIMARY, "
                            "Clutter.ButtonState.PRESSED);"
                            "  pointer.notify_button(now + offset + 40000, Clutter.BUTTON_PRIMARY, "
                            "Clutter.ButtonState.RELEASED);"
                            "}"
                            "true")
                 .arg(position.x())
                 .arg(position.y()));
    return done && done->toBool();
}

bool GnomeDesktop::pressKey(const QString& keyName) const
{
    const std::optional<QJsonValue> done =
        eval(QString::fromLatin1(devicesJs) +
             QStringLiteral("const key = Clutter['KEY_' + %1];"
                            "if (key !== undefined) {"
                            "  keyboard.notify_keyval(now, key, Clutter.KeyState.PRESSED);"
                            "  keyboard.notify_keyval(now + 30000, key, Clutter.KeyState.RELEASED);"
                            "}"
                            "key !== undefined")
                 .arg(quoted(keyName)));
    return done && done->toBool();
}

QList<GnomeDesktop::Window> GnomeDesktop::windows(const QString& wmClass) const
{
    QList<Window> windows;
    const std::optional<QJsonValue> found = eval(
        QStringLiteral("const Meta = imports.gi.Meta;"
                       "const plain = r => ({x: r.x, y: r.y, width: r.width, height: r.height});"
                       "global.get_window_actors().map(actor => actor.meta_window)"
                       "  .filter(w => (w.get_wm_class() ?? '').toLowerCase() === %1.toLowerCase())"
                       "  .map(w => { const frame = w.get_frame_rect();"
                       "    return {title: w.get_title(), wmClass: w.get_wm_class(), frame: plain(frame),"
                       "      client: plain(w.frame_rect_to_client_rect(frame)), decorated: w.decorated,"
                       "      x11: w.get_client_type() === Meta.WindowClientType.X11,"
                       "      resizable: w.resizeable, maximizable: w.can_maximize()}; })")
            .arg(quoted(wmClass)));
    if (!found)
        return windows;
    for (const QJsonValue& value : found->toArray()) {
        windows.append({value["title"].toString(), value["wmClass"].toString(), rectFrom(value["frame"]),
                        rectFrom(value["client"]), value["decorated"].toBool(), value["x11"].toBool(),
                        value["resizable"].toBool(), value["maximizable"].toBool()});
    }
    return windows;
}

int GnomeDesktop::run(const QString& program, const QStringList& arguments, QByteArray* output,
                      int timeoutMs) const
{
    return SessionScript::run(environment(), program, arguments, output, timeoutMs);
}
