#include "model/Timestamp.h"

namespace Timestamp {
namespace {

// Reads `count` decimal digits at `pos`; -1 when any is missing.
int digits(QStringView text, qsizetype pos, int count)
{
    if (pos + count > text.size())
        return -1;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const QChar c = text[pos + i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

bool charAt(QStringView text, qsizetype pos, char expected)
{
    return pos < text.size() && text[pos] == QLatin1Char(expected);
}

} // namespace

QString format(const QDateTime& time)
{
    return time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"));
}

std::optional<QDateTime> parse(QStringView text)
{
    const int year = digits(text, 0, 4), month = digits(text, 5, 2), day = digits(text, 8, 2);
    const int hour = digits(text, 11, 2), minute = digits(text, 14, 2), second = digits(text, 17, 2);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0 || !charAt(text, 4, '-') ||
        !charAt(text, 7, '-') || !(charAt(text, 10, 'T') || charAt(text, 10, 't')) ||
        !charAt(text, 13, ':') || !charAt(text, 16, ':'))
        return std::nullopt;

    qsizetype pos = 19;
    int milliseconds = 0;
    if (charAt(text, pos, '.')) {
        ++pos;
        int fractionDigits = 0;
        while (pos < text.size() && text[pos].isDigit() && text[pos].unicode() < 128) {
            if (fractionDigits < 3)
                milliseconds = milliseconds * 10 + (text[pos].unicode() - '0');
            ++fractionDigits;
            ++pos;
        }
        if (fractionDigits == 0)
            return std::nullopt;
        for (int i = fractionDigits; i < 3; ++i)
            milliseconds *= 10;
    }

    int offsetSeconds = 0;
    if (charAt(text, pos, 'Z') || charAt(text, pos, 'z')) {
        ++pos;
    } else if (charAt(text, pos, '+') || charAt(text, pos, '-')) {
        const int sign = charAt(text, pos, '-') ? -1 : 1;
        const int offsetHours = digits(text, pos + 1, 2), offsetMinutes = digits(text, pos + 4, 2);
        if (offsetHours < 0 || offsetMinutes < 0 || !charAt(text, pos + 3, ':') || offsetHours > 23 ||
            offsetMinutes > 59)
            return std::nullopt;
        offsetSeconds = sign * (offsetHours * 3600 + offsetMinutes * 60);
        pos += 6;
    } else {
        return std::nullopt;
    }
    if (pos != text.size())
        return std::nullopt;

    const QDate date(year, month, day);
    const QTime time(hour, minute, second, milliseconds);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    // Nearly every timestamp is written in UTC; building it as such spares a zone conversion, which
    // the alert views would otherwise pay for every alert on every redraw.
    if (offsetSeconds == 0)
        return QDateTime(date, time, Qt::UTC);
    return QDateTime(date, time, Qt::OffsetFromUTC, offsetSeconds).toUTC();
}

} // namespace Timestamp
