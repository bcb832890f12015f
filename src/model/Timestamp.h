#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// ISO 8601 internet date-time text: written in UTC with milliseconds ("2025-03-01T09:15:42.517Z"),
// read with or without fractional seconds and with "Z" or a numeric offset.
namespace Timestamp {

QString format(const QDateTime& time);
std::optional<QDateTime> parse(QStringView text);

} // namespace Timestamp
