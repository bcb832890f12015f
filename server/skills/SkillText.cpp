#include "skills/SkillText.h"

#include <unistd.h>

namespace SkillText {

QString bytes(qint64 count)
{
    static const char* const units[] = {"B", "kB", "MB", "GB", "TB", "PB"};
    double value = double(count);
    int unit = 0;
    while (value >= 1000.0 && unit < 5) {
        value /= 1000.0;
        ++unit;
    }
    if (unit == 0)
        return QStringLiteral("%1 B").arg(count);
    return QStringLiteral("%1 %2").arg(value, 0, 'f', value < 10 ? 1 : 0).arg(QLatin1String(units[unit]));
}

QString bullets(const QStringList& items, int shown)
{
    QStringList lines;
    for (qsizetype i = 0; i < items.size() && i < shown; ++i)
        lines.append(QStringLiteral("• ") + items[i]);
    if (items.size() > shown)
        lines.append(QStringLiteral("… and %1 more").arg(items.size() - shown));
    return lines.join(QLatin1Char('\n'));
}

QString lines(const QStringList& parts)
{
    QStringList kept;
    for (const QString& part : parts) {
        if (!part.trimmed().isEmpty())
            kept.append(part);
    }
    return kept.join(QLatin1Char('\n'));
}

QString count(qint64 number, const QString& singular, const QString& plural)
{
    return QStringLiteral("%1 %2").arg(number).arg(number == 1 ? singular : plural);
}

QString otherUsersNote()
{
    return ::geteuid() == 0
               ? QString()
               : QStringLiteral("(Processes of other users are not visible without administrator rights.)");
}

} // namespace SkillText

namespace ThreatReport {
namespace {

const QStringList threatWords{QStringLiteral("found"),        QStringLiteral("detected"),
                              QStringLiteral("suspicious"),   QStringLiteral("keylogger"),
                              QStringLiteral("rootkit"),      QStringLiteral("leak"),
                              QStringLiteral("intercepting"), QStringLiteral("trouvé"),
                              QStringLiteral("détecté"),      QStringLiteral("suspect")};

} // namespace

bool isThreat(const QString& reply)
{
    const QString text = reply.toLower();
    const bool hasThreatWord = std::any_of(threatWords.cbegin(), threatWords.cend(),
                                           [&](const QString& word) { return text.contains(word); });
    return hasThreatWord && !text.contains(QLatin1String("none")) && !text.contains(QLatin1String("aucun"));
}

QString withoutNegations(QString text)
{
    static const QChar zeroWidthSpace(0x200B);
    for (const QString& word : {QStringLiteral("none"), QStringLiteral("aucun")}) {
        qsizetype at = 0;
        while ((at = text.indexOf(word, at, Qt::CaseInsensitive)) >= 0) {
            text.insert(at + 2, zeroWidthSpace);
            at += word.size() + 1;
        }
    }
    return text;
}

QString clean(const QString& headline, const QStringList& notes)
{
    Q_ASSERT(headline.contains(QLatin1String("none"), Qt::CaseInsensitive));
    return SkillText::lines(QStringList{headline} + notes);
}

QString finding(const QString& headline, const QStringList& details, const QStringList& notes)
{
    const QString text =
        withoutNegations(SkillText::lines(QStringList{headline, SkillText::bullets(details, 20)} + notes));
    Q_ASSERT(isThreat(text));
    return text;
}

} // namespace ThreatReport
