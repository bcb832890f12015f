#include "skills/threats/ClipboardWatchers.h"

#include "skills/SkillText.h"
#include "skills/parsers/ProcessTable.h"
#include "skills/threats/KnownPrograms.h"

#include <QHash>
#include <QRegularExpression>

namespace ClipboardWatchers {
namespace {

const QHash<QString, QString>& knownManagers()
{
    static const QHash<QString, QString> managers{
        {QStringLiteral("copyq"), QStringLiteral("CopyQ")},
        {QStringLiteral("clipit"), QStringLiteral("ClipIt")},
        {QStringLiteral("parcellite"), QStringLiteral("Parcellite")},
        {QStringLiteral("diodon"), QStringLiteral("Diodon")},
        {QStringLiteral("gpaste-daemon"), QStringLiteral("GPaste")},
        {QStringLiteral("klipper"), QStringLiteral("Klipper")},
        {QStringLiteral("xfce4-clipman"), QStringLiteral("Clipman (Xfce)")},
        {QStringLiteral("clipman"), QStringLiteral("clipman")},
        {QStringLiteral("cliphist"), QStringLiteral("cliphist")},
        {QStringLiteral("clipmenud"), QStringLiteral("clipmenu")},
        {QStringLiteral("clipnotify"), QStringLiteral("clipmenu")},
        {QStringLiteral("greenclip"), QStringLiteral("greenclip")},
        {QStringLiteral("clipcatd"), QStringLiteral("Clipcat")},
        {QStringLiteral("wl-clip-persist"), QStringLiteral("wl-clip-persist")},
        {QStringLiteral("kdeconnectd"),
         QStringLiteral("KDE Connect (can share the clipboard with your phone)")},
    };
    return managers;
}

// `wl-paste --watch <command>` runs the command on every clipboard change.
bool isWatchLoop(const ProcessTable::Process& process)
{
    const QString name = KnownPrograms::nameOf(process);
    const QStringList words = process.commandLine.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (name == QLatin1String("wl-paste"))
        return words.contains(QStringLiteral("--watch")) || words.contains(QStringLiteral("-w"));
    if (name == QLatin1String("xclip"))
        return words.contains(QStringLiteral("-loops")) || words.contains(QStringLiteral("-l"));
    static const QRegularExpression clipboardName(QStringLiteral("(^|[-_])(clip|clipboard)"),
                                                  QRegularExpression::CaseInsensitiveOption);
    return clipboardName.match(name).hasMatch();
}

QString watchedCommand(const ProcessTable::Process& process)
{
    const QStringList words = process.commandLine.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const qsizetype watch =
        std::max(words.indexOf(QStringLiteral("--watch")), words.indexOf(QStringLiteral("-w")));
    return watch >= 0 && watch + 1 < words.size() ? words[watch + 1].section(QLatin1Char('/'), -1)
                                                  : QString();
}

} // namespace

QString report(const SkillInput& input)
{
    QStringList known;
    QStringList unknown;
    for (const ProcessTable::Process& process : ProcessTable::read(input.paths.proc)) {
        const QString name = KnownPrograms::nameOf(process);
        const QString manager = knownManagers().value(name, knownManagers().value(process.name));
        if (!manager.isEmpty() && KnownPrograms::isKnown(process, knownManagers().keys())) {
            known.append(manager);
            continue;
        }
        if (!isWatchLoop(process))
            continue;
        const QString target = watchedCommand(process);
        if (knownManagers().contains(target))
            known.append(knownManagers().value(target));
        else
            unknown.append(QStringLiteral("%1 watches every clipboard change: %2")
                               .arg(KnownPrograms::describe(process), process.commandLine));
    }
    known.removeDuplicates();
    const QString managersNote =
        known.isEmpty()
            ? QStringLiteral("No clipboard manager runs: nothing keeps a history of what you copy.")
            : QStringLiteral("Clipboard managers (they keep a history of what you copy): %1.")
                  .arg(known.join(QStringLiteral(", ")));
    if (!unknown.isEmpty())
        return ThreatReport::finding(
            QStringLiteral("⚠️ Clipboard watcher detected: an unknown program reads what you copy"),
            unknown, {managersNote, SkillText::otherUsersNote()});
    return ThreatReport::clean(QStringLiteral("✅ Unknown clipboard watchers: none found"),
                               {managersNote, SkillText::otherUsersNote()});
}

} // namespace ClipboardWatchers
