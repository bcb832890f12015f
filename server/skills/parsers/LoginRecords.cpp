#include "skills/parsers/LoginRecords.h"

#include <QRegularExpression>
#include <QStringList>

namespace LoginRecords {

bool Login::isRemote() const
{
    return !isBoot() && !host.isEmpty() && host != QLatin1String("0.0.0.0") && host != QLatin1String("::") &&
           !host.startsWith(QLatin1Char(':'));
}

QList<Login> parse(const QString& lastOutput)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\S+)\\s+(system boot|\\S+)\\s+(\\S+)\\s+(\\d{4}-\\d\\d-\\d\\dT\\S+)\\s*(.*)$"));
    QList<Login> logins;
    for (const QString& line : lastOutput.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = pattern.match(line.trimmed());
        if (!match.hasMatch())
            continue;
        logins.append({match.captured(1), match.captured(2), match.captured(3), match.captured(4),
                       match.captured(5).simplified()});
    }
    return logins;
}

} // namespace LoginRecords
