#include "monitor/VideoNodes.h"
#include "skills/SkillGroups.h"
#include "skills/SkillText.h"
#include "skills/SystemTools.h"
#include "skills/parsers/AudioCapture.h"
#include "skills/parsers/ProcessTable.h"
#include "skills/threats/KnownPrograms.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace {

QString processName(const QString& procRoot, qint64 pid)
{
    const std::optional<ProcessTable::Process> process = ProcessTable::readOne(procRoot, pid);
    return process ? KnownPrograms::nameOf(*process) : QStringLiteral("pid %1").arg(pid);
}

QString cameraStatus(const SkillInput& input)
{
    const QStringList devices =
        QDir(input.paths.dev).entryList({QStringLiteral("video*")}, QDir::System | QDir::AllEntries);
    if (devices.isEmpty())
        return QStringLiteral("📹 Camera: no camera device on this machine");
    const QList<ProcessTable::Holder> holders = ProcessTable::holders(
        input.paths.proc, ProcessTable::read(input.paths.proc),
        [](const QString& target) { return target.startsWith(QLatin1String("/dev/video")); });
    const QString devicesLine = QStringLiteral("Devices: %1").arg(devices.join(QStringLiteral(", ")));
    if (holders.isEmpty())
        return SkillText::lines(
            {QStringLiteral("📹 Camera: not in use"), devicesLine, SkillText::otherUsersNote()});
    QStringList users;
    for (const ProcessTable::Holder& holder : holders)
        users.append(QStringLiteral("%1 on %2").arg(KnownPrograms::describe(holder.process), holder.target));
    users.removeDuplicates();
    return SkillText::lines(
        {QStringLiteral("🔴 Camera: IN USE"), SkillText::bullets(users), devicesLine,
         QStringLiteral(
             "(pipewire or wireplumber holding it means an application uses the camera through PipeWire.)")});
}

QString microphoneStatus(const SkillInput& input)
{
    QStringList users;
    const ToolOutput pactl = input.output(QStringLiteral("pactl"));
    for (const AudioCapture::Stream& stream : AudioCapture::parsePactlSourceOutputs(pactl.out))
        users.append(stream.pid > 0 ? QStringLiteral("%1 (pid %2)").arg(stream.application).arg(stream.pid)
                                    : stream.application);
    for (const auto& [substream, state] : AudioCapture::runningCaptures(input.paths.proc))
        users.append(QStringLiteral("capture device %1, opened by %2")
                         .arg(substream, processName(input.paths.proc, state.ownerPid)));
    users.removeDuplicates();
    const QString server =
        pactl.succeeded()
            ? QString()
            : QStringLiteral("(No sound server answered; only the sound hardware was checked.)");
    if (users.isEmpty())
        return SkillText::lines({QStringLiteral("🎤 Microphone: not in use"), server});
    return SkillText::lines({QStringLiteral("🔴 Microphone: IN USE"), SkillText::bullets(users), server});
}

QString locationStatus(const SkillInput& input)
{
    const ToolOutput inUse = input.output(QStringLiteral("geoclue"));
    if (!inUse.available)
        return QStringLiteral("📍 Location: cannot ask the location service (busctl is not installed)");
    if (!inUse.succeeded())
        return QStringLiteral("📍 Location: the location service (GeoClue) is not running, so no application "
                              "gets a position from the system");
    if (inUse.out.trimmed() == QLatin1String("b true"))
        return QStringLiteral(
            "🔴 Location: IN USE, an application is getting this machine's position from GeoClue");
    return QStringLiteral("📍 Location: not in use (GeoClue runs, no application asks for a position)");
}

QString screenshotPath(const SkillInput& input)
{
    return input.paths.home + QStringLiteral("/Pictures/Screenshots/halvex-") +
           input.now.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".png");
}

// The first screenshot tool of this session's kind that is installed.
ToolCalls screenshotCalls(const SkillInput& input)
{
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    if (!wayland && !x11)
        return {};
    const QString path = screenshotPath(input);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QList<ToolCall> candidates{
        {QStringLiteral("gnome-screenshot"), {QStringLiteral("-f"), path}},
        {QStringLiteral("spectacle"),
         {QStringLiteral("-b"), QStringLiteral("-n"), QStringLiteral("-f"), QStringLiteral("-o"), path}}};
    if (wayland)
        candidates.prepend({QStringLiteral("grim"), {path}});
    if (x11)
        candidates.append(
            {{QStringLiteral("scrot"), {path}},
             {QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path}}});
    for (const ToolCall& candidate : candidates) {
        if (!SystemTools::find(candidate.tool).isEmpty())
            return {{QStringLiteral("shot"), candidate}};
    }
    return {};
}

QString screenshot(const SkillInput& input)
{
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && qEnvironmentVariableIsEmpty("DISPLAY"))
        return QStringLiteral("📸 Screenshot: not taken, halvexd runs without a graphical session (neither "
                              "DISPLAY nor WAYLAND_DISPLAY is set)");
    const ToolOutput shot = input.output(QStringLiteral("shot"));
    if (!shot.available)
        return QStringLiteral("📸 Screenshot: not taken, no screenshot tool is installed (grim, "
                              "gnome-screenshot, spectacle, scrot or ImageMagick)");
    const QString path = screenshotPath(input);
    if (!shot.succeeded() || !QFileInfo::exists(path))
        return QStringLiteral("📸 Screenshot: failed (%1)")
            .arg(shot.err.trimmed().isEmpty() ? QStringLiteral("the tool gave no file") : shot.err.trimmed());
    return QStringLiteral("📸 Screenshot saved: %1 (%2)")
        .arg(path, SkillText::bytes(QFileInfo(path).size()));
}

} // namespace

QList<Skill> SkillGroups::privacy()
{
    return {
        {QStringLiteral("camera-status"), {}, &cameraStatus, {}},
        {QStringLiteral("microphone-status"),
         {{QStringLiteral("pactl"),
           {QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("source-outputs")}}}},
         &microphoneStatus,
         {}},
        {QStringLiteral("location-status"),
         {{QStringLiteral("geoclue"),
           {QStringLiteral("busctl"),
            // Asking must not start the service just to answer that it is idle.
            {QStringLiteral("--system"), QStringLiteral("--auto-start=no"), QStringLiteral("get-property"),
             QStringLiteral("org.freedesktop.GeoClue2"), QStringLiteral("/org/freedesktop/GeoClue2/Manager"),
             QStringLiteral("org.freedesktop.GeoClue2.Manager"), QStringLiteral("InUse")}}}},
         &locationStatus,
         {}},
        {QStringLiteral("screenshot"), {}, &screenshot, &screenshotCalls},
    };
}
