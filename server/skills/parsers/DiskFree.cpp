#include "skills/parsers/DiskFree.h"

#include <QRegularExpression>

namespace DiskFree {

int FileSystem::usedPercent() const
{
    const qint64 usable = used + available;
    return usable > 0 ? int((used * 100 + usable - 1) / usable) : 0;
}

QList<FileSystem> parse(const QString& dfOutput)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\S+)\\s+(\\S+)\\s+(\\d+)\\s+(\\d+)\\s+(\\d+)\\s+\\d+%\\s+(.+)$"));
    QList<FileSystem> systems;
    for (const QString& line : dfOutput.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = pattern.match(line.trimmed());
        if (!match.hasMatch())
            continue;
        systems.append({match.captured(1), match.captured(2), match.captured(3).toLongLong(),
                        match.captured(4).toLongLong(), match.captured(5).toLongLong(), match.captured(6)});
    }
    return systems;
}

} // namespace DiskFree
