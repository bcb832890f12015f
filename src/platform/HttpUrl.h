#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// Building request URLs from a configured base.
namespace HttpUrl {

// An absolute http or https URL with a host; nothing for any other text (a relative or malformed
// text would send requests nowhere useful).
std::optional<QUrl> parseBase(const QString& text);

// `base` with `path` (already escaped, segments separated by "/") appended as path components, so a
// base that ends in a path keeps it.
QUrl appendPath(const QUrl& base, const QString& path);

// `text` escaped as one path segment: every character but the unreserved ones is percent-encoded, so a
// "/" or "?" cannot split it. Nothing for "", "." and "..", which no server receives as one segment.
std::optional<QString> escapedSegment(const QString& text);

} // namespace HttpUrl
