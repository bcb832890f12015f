#include "platform/ProcessFacts.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace ProcessFiles {
namespace {

QByteArray readSmall(const QString& path, qint64 limit = 64 * 1024)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(limit);
}

QString baseName(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

namespace {

struct Stat
{
    char state = '?';
    quint64 startTime = 0;
};

std::optional<Stat> readStat(const QString& procRoot, qint64 pid)
{
    const QByteArray stat =
        readSmall(procRoot + QLatin1Char('/') + QString::number(pid) + QStringLiteral("/stat"));
    // The name in parentheses may hold spaces and ")": the fields start after the last ")".
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return std::nullopt;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    // After the name come state (field 3) … starttime (field 22): index 19 here.
    if (fields.size() < 20 || fields.at(0).isEmpty())
        return std::nullopt;
    bool ok = false;
    const quint64 ticks = fields.at(19).toULongLong(&ok);
    if (!ok)
        return std::nullopt;
    return Stat{fields.at(0).at(0), ticks};
}

} // namespace

std::optional<quint64> startTime(const QString& procRoot, qint64 pid)
{
    const std::optional<Stat> stat = readStat(procRoot, pid);
    return stat ? std::optional<quint64>(stat->startTime) : std::nullopt;
}

bool isAlive(const QString& procRoot, const ProcessFacts& facts)
{
    const std::optional<Stat> stat = readStat(procRoot, facts.pid);
    return stat && stat->startTime == facts.startTime && stat->state != 'Z' && stat->state != 'X';
}

QString sandboxAppIdFromCgroup(const QByteArray& cgroup)
{
    static const QRegularExpression flatpak(QStringLiteral(R"(app-flatpak-([A-Za-z0-9_.-]+?)-\d+\.scope)"));
    static const QRegularExpression snap(QStringLiteral(R"(snap\.([a-z0-9-]+)\.[A-Za-z0-9_-]+[-.])"));
    const QString text = QString::fromUtf8(cgroup);
    if (const QRegularExpressionMatch match = flatpak.match(text); match.hasMatch())
        return match.captured(1);
    if (const QRegularExpressionMatch match = snap.match(text); match.hasMatch())
        return match.captured(1);
    return {};
}

std::optional<ProcessFacts> read(const QString& procRoot, qint64 pid)
{
    const std::optional<quint64> started = startTime(procRoot, pid);
    if (!started)
        return std::nullopt;
    const QString directory = procRoot + QLatin1Char('/') + QString::number(pid);
    ProcessFacts facts;
    facts.pid = pid;
    facts.startTime = *started;
    facts.executable = QFileInfo(directory + QStringLiteral("/exe")).symLinkTarget();
    static const QString deletedMark = QStringLiteral(" (deleted)");
    if (facts.executable.endsWith(deletedMark))
        facts.executable.chop(deletedMark.size());
    const QByteArray commandLine = readSmall(directory + QStringLiteral("/cmdline"), 4096);
    const QString argv0 = QFile::decodeName(commandLine.left(commandLine.indexOf('\0')));
    // Some programs rewrite argv[0] into a title with spaces; then only the executable names them.
    if (!argv0.isEmpty() && !argv0.contains(QLatin1Char(' ')))
        facts.invokedName = baseName(argv0);
    if (facts.invokedName.isEmpty())
        facts.invokedName = baseName(facts.executable);
    facts.sandboxAppId = sandboxAppIdFromCgroup(readSmall(directory + QStringLiteral("/cgroup")));
    return facts;
}

QSet<QString> ownExecutables()
{
    QSet<QString> executables;
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (self.isEmpty())
        return executables;
    executables.insert(self);
    const QString directory = QFileInfo(self).absolutePath();
    for (const QString& name : {QStringLiteral("halvex"), QStringLiteral("halvexd")}) {
        const QFileInfo sibling(directory + QLatin1Char('/') + name);
        if (sibling.exists())
            executables.insert(sibling.canonicalFilePath());
    }
    return executables;
}

} // namespace ProcessFiles
