#include "skills/threats/KnownPrograms.h"

#include <QRegularExpression>

namespace KnownPrograms {
namespace {

QString executableOf(const ProcessTable::Process& process)
{
    QString executable = process.executable;
    if (executable.endsWith(QLatin1String(" (deleted)")))
        executable.chop(10);
    return executable;
}

bool isInterpreter(const QString& baseName)
{
    static const QRegularExpression interpreters(
        QStringLiteral("^(python|perl|ruby|node|bash|sh|dash|lua|php)[0-9.]*$"));
    return interpreters.match(baseName).hasMatch();
}

// For a script, the script file the interpreter runs: the first argument that is an absolute path.
QString scriptOf(const ProcessTable::Process& process)
{
    const QStringList words = process.commandLine.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < words.size(); ++i) {
        if (words[i].startsWith(QLatin1Char('/')))
            return words[i];
    }
    return {};
}

// The file that decides what the process does: the script of an interpreter, else the executable.
QString programFile(const ProcessTable::Process& process)
{
    const QString executable = executableOf(process);
    if (isInterpreter(executable.section(QLatin1Char('/'), -1))) {
        const QString script = scriptOf(process);
        if (!script.isEmpty())
            return script;
    }
    return executable;
}

} // namespace

QString nameOf(const ProcessTable::Process& process)
{
    const QString base = programFile(process).section(QLatin1Char('/'), -1);
    return base.isEmpty() ? process.name : base;
}

bool isInstalledLocation(const QString& executable)
{
    static const QStringList prefixes{QStringLiteral("/usr/"),   QStringLiteral("/bin/"),
                                      QStringLiteral("/sbin/"),  QStringLiteral("/lib/"),
                                      QStringLiteral("/lib64/"), QStringLiteral("/opt/"),
                                      QStringLiteral("/snap/"),  QStringLiteral("/nix/store/"),
                                      QStringLiteral("/app/"),   QStringLiteral("/var/lib/flatpak/")};
    return std::any_of(prefixes.cbegin(), prefixes.cend(),
                       [&](const QString& p) { return executable.startsWith(p); });
}

// A process may call itself anything (its comm name is writable), so where the executable can be
// read, its file name and location decide; only other users' processes are judged by name alone.
bool isKnown(const ProcessTable::Process& process, const QStringList& names)
{
    if (process.executable.isEmpty())
        return names.contains(process.name);
    return !process.executableDeleted() && names.contains(nameOf(process)) &&
           isInstalledLocation(programFile(process));
}

QString describe(const ProcessTable::Process& process)
{
    if (process.executable.isEmpty())
        return QStringLiteral("%1 (pid %2)").arg(process.name).arg(process.pid);
    return QStringLiteral("%1 (pid %2, %3)").arg(nameOf(process)).arg(process.pid).arg(programFile(process));
}

} // namespace KnownPrograms
