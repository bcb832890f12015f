#include "skills/threats/KeyloggerScan.h"

#include "skills/SkillText.h"
#include "skills/parsers/InputDevices.h"
#include "skills/parsers/TextFields.h"
#include "skills/threats/KnownPrograms.h"

#include <QHash>
#include <QSet>

namespace KeyloggerScan {
namespace {

// Display servers, compositors, the login manager and well-known key remappers read keyboards as
// their job.
const QStringList knownReaders{
    QStringLiteral("Xorg"),
    QStringLiteral("X"),
    QStringLiteral("gnome-shell"),
    QStringLiteral("mutter"),
    QStringLiteral("kwin_wayland"),
    QStringLiteral("kwin_x11"),
    QStringLiteral("sway"),
    QStringLiteral("Hyprland"),
    QStringLiteral("wayfire"),
    QStringLiteral("labwc"),
    QStringLiteral("river"),
    QStringLiteral("weston"),
    QStringLiteral("cage"),
    QStringLiteral("gamescope"),
    QStringLiteral("niri"),
    QStringLiteral("cosmic-comp"),
    QStringLiteral("systemd-logind"),
    QStringLiteral("gdm-x-session"),
    QStringLiteral("acpid"),
    QStringLiteral("input-remapper-service"),
    QStringLiteral("keyd"),
    QStringLiteral("kmonad"),
    QStringLiteral("kanata"),
    QStringLiteral("gpm"),
    QStringLiteral("thd"),
    QStringLiteral("brltty"),
    QStringLiteral("xremap"),
    QStringLiteral("evsieve"),
    QStringLiteral("udevmon"),
};

} // namespace

QString report(const SkillInput& input)
{
    QHash<QString, QString> keyboardNames; // "/dev/input/event3" → device name
    for (const InputDevices::Device& device :
         InputDevices::parse(TextFields::readFile(input.paths.proc + QStringLiteral("/bus/input/devices")))) {
        if (!device.isKeyboard)
            continue;
        for (const QString& node : device.eventNodes)
            keyboardNames.insert(QStringLiteral("/dev/input/") + node, device.name);
    }
    const QList<ProcessTable::Process> processes = ProcessTable::read(input.paths.proc);
    const QList<ProcessTable::Holder> readers = ProcessTable::holders(
        input.paths.proc, processes, [&](const QString& target) { return keyboardNames.contains(target); });

    QStringList suspects;
    QStringList known;
    QSet<qint64> reported;
    for (const ProcessTable::Holder& reader : readers) {
        if (reported.contains(reader.process.pid))
            continue;
        reported.insert(reader.process.pid);
        if (KnownPrograms::isKnown(reader.process, knownReaders))
            known.append(KnownPrograms::nameOf(reader.process));
        else
            suspects.append(QStringLiteral("%1 reads %2 (%3)")
                                .arg(KnownPrograms::describe(reader.process), reader.target,
                                     keyboardNames.value(reader.target)));
    }
    known.removeDuplicates();
    const QString keyboards =
        QStringLiteral("%1 watched.")
            .arg(SkillText::count(keyboardNames.size(), QStringLiteral("keyboard input"),
                                  QStringLiteral("keyboard inputs")));
    if (!suspects.isEmpty())
        return ThreatReport::finding(
            QStringLiteral("⚠️ Possible keylogger detected: %1 reading the keyboard directly")
                .arg(SkillText::count(suspects.size(), QStringLiteral("unknown program"),
                                      QStringLiteral("unknown programs"))),
            suspects, {keyboards, SkillText::otherUsersNote()});
    const QString readersNote =
        known.isEmpty() ? QStringLiteral("No program reads the keyboard devices directly.")
                        : QStringLiteral("Known keyboard readers: %1.").arg(known.join(QStringLiteral(", ")));
    return ThreatReport::clean(QStringLiteral("✅ Keyloggers: none found"),
                               {readersNote, keyboards, SkillText::otherUsersNote()});
}

} // namespace KeyloggerScan
