#include "skills/SkillGroups.h"
#include "skills/SkillText.h"
#include "skills/parsers/TextFields.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>

namespace {

ToolCall journal(const QStringList& arguments)
{
    return {QStringLiteral("journalctl"),
            QStringList{QStringLiteral("--no-pager"), QStringLiteral("-q")} + arguments};
}

QString journalUnavailable(const ToolOutput& output)
{
    if (!output.available)
        return QStringLiteral("journalctl is not installed");
    return output.err.trimmed().isEmpty() ? QStringLiteral("journalctl failed") : output.err.trimmed();
}

QString recentErrors(const SkillInput& input)
{
    const ToolOutput errors = input.output(QStringLiteral("errors"));
    if (!errors.succeeded())
        return QStringLiteral("🔍 Errors: the system journal is not readable (%1)")
            .arg(journalUnavailable(errors));
    const QStringList lines = TextFields::meaningfulLines(errors.out, QLatin1Char('\0'));
    if (lines.isEmpty())
        return QStringLiteral("🔍 Errors in the last 24 hours: 0");
    return SkillText::lines({QStringLiteral("🔍 Errors in the last 24 hours (newest %1):").arg(lines.size()),
                             SkillText::bullets(lines, 30)});
}

QString recentCrashes(const SkillInput& input)
{
    static const QRegularExpression crashPattern(
        QStringLiteral("segfault|general protection|traps:|Out of memory: Killed|core dumped"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList crashes;
    for (const QString& line :
         input.output(QStringLiteral("kernel")).out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (crashPattern.match(line).hasMatch())
            crashes.append(line.trimmed());
    }
    const QStringList dumps =
        TextFields::meaningfulLines(input.output(QStringLiteral("coredumps")).out, QLatin1Char('\0'));
    const QStringList reports =
        QDir(QStringLiteral("/var/crash")).entryList({QStringLiteral("*.crash")}, QDir::Files);
    if (crashes.isEmpty() && dumps.isEmpty() && reports.isEmpty())
        return QStringLiteral("💥 Crashes in the last 7 days: 0");
    return SkillText::lines(
        {QStringLiteral("💥 Crashes in the last 7 days"),
         crashes.isEmpty() ? QString()
                           : QStringLiteral("Kernel reports:\n") + SkillText::bullets(crashes, 15),
         dumps.isEmpty() ? QString() : QStringLiteral("Core dumps:\n") + SkillText::bullets(dumps, 15),
         reports.isEmpty()
             ? QString()
             : QStringLiteral("Crash reports in /var/crash:\n") + SkillText::bullets(reports, 15)});
}

QString logSummary(const SkillInput& input)
{
    const ToolOutput entries = input.output(QStringLiteral("entries"));
    if (!entries.succeeded() && entries.out.isEmpty())
        return QStringLiteral("📋 Log summary: the system journal is not readable (%1)")
            .arg(journalUnavailable(entries));
    static const QStringList priorityNames{QStringLiteral("emergency"), QStringLiteral("alert"),
                                           QStringLiteral("critical"), QStringLiteral("error"),
                                           QStringLiteral("warning")};
    QMap<int, int> byPriority;
    QMap<QString, int> bySource;
    int total = 0;
    for (const QString& line : entries.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QJsonObject entry = QJsonDocument::fromJson(line.toUtf8()).object();
        if (entry.isEmpty())
            continue;
        ++total;
        ++byPriority[entry.value(QStringLiteral("PRIORITY")).toString().toInt()];
        const QString source = entry.value(QStringLiteral("SYSLOG_IDENTIFIER"))
                                   .toString(entry.value(QStringLiteral("_COMM")).toString());
        ++bySource[source.isEmpty() ? QStringLiteral("unknown") : source];
    }
    QStringList priorities;
    for (auto it = byPriority.cbegin(); it != byPriority.cend(); ++it)
        priorities.append(QStringLiteral("%1 %2")
                              .arg(it.value())
                              .arg(priorityNames.value(it.key(), QStringLiteral("other"))));
    QList<std::pair<int, QString>> sources;
    for (auto it = bySource.cbegin(); it != bySource.cend(); ++it)
        sources.append({it.value(), it.key()});
    std::sort(sources.begin(), sources.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    QStringList top;
    for (qsizetype i = 0; i < sources.size() && i < 5; ++i)
        top.append(QStringLiteral("%1: %2").arg(sources[i].second).arg(sources[i].first));
    const QString count =
        entries.truncated ? QStringLiteral("at least %1").arg(total) : QString::number(total);
    return SkillText::lines(
        {QStringLiteral("📋 Log summary, last 24 hours: %1 warnings or worse").arg(count),
         priorities.isEmpty() ? QString() : priorities.join(QStringLiteral(", ")),
         top.isEmpty() ? QString() : QStringLiteral("Noisiest sources:\n") + SkillText::bullets(top),
         input.output(QStringLiteral("usage")).out.trimmed()});
}

} // namespace

QList<Skill> SkillGroups::logs()
{
    return {
        {QStringLiteral("recent-errors"),
         {{QStringLiteral("errors"),
           journal({QStringLiteral("-p"), QStringLiteral("err"), QStringLiteral("--since=-24h"),
                    QStringLiteral("-n"), QStringLiteral("30"), QStringLiteral("-o"),
                    QStringLiteral("short-iso")})}},
         &recentErrors,
         {}},
        {QStringLiteral("recent-crashes"),
         {{QStringLiteral("kernel"),
           journal({QStringLiteral("-k"), QStringLiteral("-p"), QStringLiteral("warning"),
                    QStringLiteral("--since=-7d"), QStringLiteral("-o"), QStringLiteral("short-iso")})},
          {QStringLiteral("coredumps"),
           {QStringLiteral("coredumpctl"),
            {QStringLiteral("list"), QStringLiteral("--no-pager"), QStringLiteral("--no-legend"),
             QStringLiteral("-r"), QStringLiteral("--since=-7d")}}}},
         &recentCrashes,
         {}},
        {QStringLiteral("log-summary"),
         {{QStringLiteral("entries"),
           journal({QStringLiteral("-p"), QStringLiteral("warning"), QStringLiteral("--since=-24h"),
                    QStringLiteral("-o"), QStringLiteral("json"),
                    QStringLiteral("--output-fields=PRIORITY,SYSLOG_IDENTIFIER,_COMM")})},
          {QStringLiteral("usage"), journal({QStringLiteral("--disk-usage")})}},
         &logSummary,
         {}},
    };
}
