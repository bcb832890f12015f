#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// Turns lines of the privacy-consent daemon's log into accesses.
struct DetectedAccess
{
    QString type;
    QString app;
    QString details;

    friend bool operator==(const DetectedAccess&, const DetectedAccess&) = default;
};

namespace TccLineParser {

// The five arguments of "log stream": only tccd lines that name one of the watched services.
QStringList logStreamArguments();

std::optional<DetectedAccess> parseTCCLine(QStringView line);
QString extractAppName(QStringView line);

// The verb phrase of an access type, used in Telegram texts.
QString typeAction(const QString& type);

// Word capitalisation: first character of each word upper-cased, the rest lower-cased.
QString capitalized(const QString& text);

} // namespace TccLineParser
