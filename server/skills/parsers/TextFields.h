#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// Small readers of the line formats the kernel and the system tools print.
namespace TextFields {

// "MemTotal:   16318808 kB" lines: key → the value text after the colon, trimmed.
QHash<QString, QString> colonSeparated(const QString& text);
// "KEY=value" lines (uevent files, loginctl show, os-release): key → value, quotes removed.
QHash<QString, QString> assignments(const QString& text);
// The number at the start of a value ("16318808 kB" → 16318808); -1 when there is none.
qint64 leadingNumber(const QString& value);
// nmcli's terse output: fields separated by ':', with '\:' and '\\' escaped.
QStringList splitTerse(const QString& line);
// A whole file as text; empty when unreadable.
QString readFile(const QString& path, qint64 maxBytes = 1024 * 1024);
// The lines of a text, without empty ones and without comments starting with `comment`.
QStringList meaningfulLines(const QString& text, QChar comment = QLatin1Char('#'));

} // namespace TextFields
