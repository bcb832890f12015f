#include "skills/parsers/BrowserExtensions.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace BrowserExtensions {
namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(4 * 1024 * 1024) : QByteArray();
}

QStringList subdirectories(const QString& path)
{
    return QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
}

void scanFirefox(const QString& home, QList<Extension>& found)
{
    for (const QString& root :
         {QStringLiteral("/.mozilla/firefox"), QStringLiteral("/snap/firefox/common/.mozilla/firefox"),
          QStringLiteral("/.var/app/org.mozilla.firefox/.mozilla/firefox")}) {
        for (const QString& profile : subdirectories(home + root))
            found.append(parseFirefox(
                readAll(home + root + QLatin1Char('/') + profile + QStringLiteral("/extensions.json"))));
    }
}

void scanChromium(const QString& home, QList<Extension>& found)
{
    const QList<std::pair<QString, QString>> browsers{
        {QStringLiteral("Google Chrome"), QStringLiteral("/.config/google-chrome")},
        {QStringLiteral("Chromium"), QStringLiteral("/.config/chromium")},
        {QStringLiteral("Brave"), QStringLiteral("/.config/BraveSoftware/Brave-Browser")},
        {QStringLiteral("Microsoft Edge"), QStringLiteral("/.config/microsoft-edge")},
        {QStringLiteral("Vivaldi"), QStringLiteral("/.config/vivaldi")},
    };
    for (const auto& [browser, root] : browsers) {
        for (const QString& profile : subdirectories(home + root)) {
            const QString extensions =
                home + root + QLatin1Char('/') + profile + QStringLiteral("/Extensions");
            for (const QString& id : subdirectories(extensions)) {
                const QStringList versions = subdirectories(extensions + QLatin1Char('/') + id);
                if (versions.isEmpty())
                    continue;
                const QString directory =
                    extensions + QLatin1Char('/') + id + QLatin1Char('/') + versions.last();
                const QByteArray manifest = readAll(directory + QStringLiteral("/manifest.json"));
                const QString locale = chromiumDefaultLocale(manifest);
                const QByteArray messages = locale.isEmpty()
                                                ? QByteArray()
                                                : readAll(directory + QStringLiteral("/_locales/") + locale +
                                                          QStringLiteral("/messages.json"));
                const QString name = chromiumName(manifest, messages);
                if (!name.isEmpty())
                    found.append({browser, name, id, true});
            }
        }
    }
}

} // namespace

QList<Extension> parseFirefox(const QByteArray& extensionsJson)
{
    QList<Extension> extensions;
    const QJsonArray addons =
        QJsonDocument::fromJson(extensionsJson).object().value(QStringLiteral("addons")).toArray();
    for (const QJsonValue& value : addons) {
        const QJsonObject addon = value.toObject();
        const QString location = addon.value(QStringLiteral("location")).toString();
        // Add-ons in the application's own locations ship with Firefox itself.
        if (addon.value(QStringLiteral("type")).toString() != QLatin1String("extension") ||
            location.startsWith(QLatin1String("app-builtin")) ||
            location == QLatin1String("app-system-defaults"))
            continue;
        QString name =
            addon.value(QStringLiteral("defaultLocale")).toObject().value(QStringLiteral("name")).toString();
        const QString id = addon.value(QStringLiteral("id")).toString();
        extensions.append({QStringLiteral("Firefox"), name.isEmpty() ? id : name, id,
                           addon.value(QStringLiteral("active")).toBool(true)});
    }
    return extensions;
}

QString chromiumDefaultLocale(const QByteArray& manifestJson)
{
    return QJsonDocument::fromJson(manifestJson).object().value(QStringLiteral("default_locale")).toString();
}

QString chromiumName(const QByteArray& manifestJson, const QByteArray& messagesJson)
{
    const QString name =
        QJsonDocument::fromJson(manifestJson).object().value(QStringLiteral("name")).toString();
    if (!name.startsWith(QLatin1String("__MSG_")) || !name.endsWith(QLatin1String("__")))
        return name;
    const QString key = name.mid(6, name.size() - 8);
    const QJsonObject messages = QJsonDocument::fromJson(messagesJson).object();
    // Message keys are case-insensitive.
    for (auto it = messages.constBegin(); it != messages.constEnd(); ++it) {
        if (it.key().compare(key, Qt::CaseInsensitive) == 0)
            return it.value().toObject().value(QStringLiteral("message")).toString();
    }
    return key;
}

QList<Extension> scan(const QString& home)
{
    QList<Extension> found;
    scanFirefox(home, found);
    scanChromium(home, found);
    return found;
}

} // namespace BrowserExtensions
