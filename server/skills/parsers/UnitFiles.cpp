#include "skills/parsers/UnitFiles.h"

#include <QRegularExpression>

namespace UnitFiles {

QStringList enabledUnits(const QString& output)
{
    static const QRegularExpression whitespace(QStringLiteral("\\s+"));
    QStringList units;
    for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.trimmed().split(whitespace);
        if (fields.size() >= 2 && fields[0].contains(QLatin1Char('.')) &&
            (fields[1] == QLatin1String("enabled") || fields[1] == QLatin1String("enabled-runtime")))
            units.append(fields[0]);
    }
    return units;
}

} // namespace UnitFiles
