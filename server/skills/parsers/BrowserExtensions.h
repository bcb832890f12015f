#pragma once

#include <QList>
#include <QString>

// Extensions installed in the user's browser profiles.
namespace BrowserExtensions {

struct Extension
{
    QString browser; // "Firefox", "Google Chrome", ...
    QString name;
    QString id;
    bool enabled = true;
};

// Firefox's extensions.json of one profile: the user's extensions, not the built-in ones.
QList<Extension> parseFirefox(const QByteArray& extensionsJson);
// The display name in a Chromium manifest.json; "__MSG_key__" names are looked up in `messagesJson`
// (the _locales/<default_locale>/messages.json of the extension).
QString chromiumName(const QByteArray& manifestJson, const QByteArray& messagesJson);
QString chromiumDefaultLocale(const QByteArray& manifestJson);

// Every extension of every profile under the home directory.
QList<Extension> scan(const QString& home);

} // namespace BrowserExtensions
