#include "skills/parsers/AptUpgrades.h"

#include <QRegularExpression>

namespace AptUpgrades {

QList<Upgrade> parse(const QString& output)
{
    static const QRegularExpression pattern(
        QStringLiteral("^([^/\\s]+)/(\\S+)\\s+(\\S+)\\s+\\S+\\s+\\[upgradable from: ([^\\]]+)\\]"));
    QList<Upgrade> upgrades;
    for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = pattern.match(line.trimmed());
        if (match.hasMatch())
            upgrades.append({match.captured(1), match.captured(2), match.captured(3), match.captured(4)});
    }
    return upgrades;
}

} // namespace AptUpgrades
