#include "skills/SkillGroups.h"
#include "skills/SkillText.h"
#include "skills/parsers/ProcessTable.h"
#include "skills/threats/KnownPrograms.h"

#include <unistd.h>

// Commands of the backend that no tile offers: the macOS backend's set-up steps, and the list of
// applications a block can target.
namespace {

QString blockableApps(const SkillInput& input)
{
    QStringList names;
    for (const ProcessTable::Process& process : ProcessTable::read(input.paths.proc)) {
        // This user's programs: the ones a block (a force-quit by name) can end.
        if (process.uid == ::geteuid() && !process.executable.isEmpty() && process.pid != ::getpid())
            names.append(process.name);
    }
    names.removeDuplicates();
    names.sort(Qt::CaseInsensitive);
    return SkillText::lines(
        {QStringLiteral("⛔ Programs a block can force-quit (running as you): %1").arg(names.size()),
         SkillText::bullets(names, 80)});
}

Skill plain(const QString& id, const QString& text)
{
    return {id, {}, [text](const SkillInput&) { return text; }, {}};
}

} // namespace

QList<Skill> SkillGroups::backendCommands()
{
    return {
        plain(QStringLiteral("setup-sudoers"),
              QStringLiteral("Not needed on Linux: halvexd runs as you and needs no administrator rights.")),
        plain(QStringLiteral("setup-native"),
              QStringLiteral(
                  "Not needed on Linux: halvexd reads the system directly, with no helper to install.")),
        plain(QStringLiteral("block-status"),
              QStringLiteral("⛔ A block force-quits the application once; halvexd keeps no list of blocked "
                             "applications.")),
        {QStringLiteral("blockable-apps"), {}, &blockableApps, {}},
    };
}
