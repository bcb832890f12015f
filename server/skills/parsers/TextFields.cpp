#include "skills/parsers/TextFields.h"

#include <QFile>

namespace TextFields {

QHash<QString, QString> colonSeparated(const QString& text)
{
    QHash<QString, QString> values;
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon > 0)
            values.insert(line.left(colon).trimmed(), line.mid(colon + 1).trimmed());
    }
    return values;
}

QHash<QString, QString> assignments(const QString& text)
{
    QHash<QString, QString> values;
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        QString value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
            value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        values.insert(line.left(equals).trimmed(), value);
    }
    return values;
}

qint64 leadingNumber(const QString& value)
{
    qsizetype end = 0;
    while (end < value.size() && value[end].isDigit())
        ++end;
    return end == 0 ? -1 : value.left(end).toLongLong();
}

QStringList splitTerse(const QString& line)
{
    QStringList fields{QString()};
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('\\') && i + 1 < line.size()) {
            fields.last() += line[++i];
        } else if (c == QLatin1Char(':')) {
            fields.append(QString());
        } else {
            fields.last() += c;
        }
    }
    return fields;
}

QString readFile(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(maxBytes));
}

QStringList meaningfulLines(const QString& text, QChar comment)
{
    QStringList lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith(comment))
            lines.append(trimmed);
    }
    return lines;
}

} // namespace TextFields
