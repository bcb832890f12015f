#include "sensors/HwmonSensor.h"
#include "skills/SkillGroups.h"
#include "skills/SkillText.h"
#include "skills/parsers/DiskFree.h"
#include "skills/parsers/ProcessTable.h"
#include "skills/parsers/TextFields.h"
#include "skills/threats/KnownPrograms.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString sysFile(const SkillInput& input, const QString& relative)
{
    return TextFields::readFile(input.paths.sys + relative).trimmed();
}

QStringList subdirectories(const QString& path, const QStringList& filters = {})
{
    return QDir(path).entryList(filters, QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
}

QString memoryUsage(const SkillInput& input)
{
    const QHash<QString, QString> memory =
        TextFields::colonSeparated(TextFields::readFile(input.paths.proc + QStringLiteral("/meminfo")));
    auto bytesOf = [&](const char* key) {
        return TextFields::leadingNumber(memory.value(QLatin1String(key))) * 1024;
    };
    const qint64 total = bytesOf("MemTotal");
    const qint64 available = bytesOf("MemAvailable");
    if (total <= 0)
        return QStringLiteral("Memory: /proc/meminfo is not readable");
    const qint64 used = total - available;
    const qint64 swapTotal = bytesOf("SwapTotal");
    const qint64 swapUsed = swapTotal - bytesOf("SwapFree");
    QList<ProcessTable::Process> processes = ProcessTable::read(input.paths.proc);
    std::sort(processes.begin(), processes.end(),
              [](const auto& a, const auto& b) { return a.residentKb > b.residentKb; });
    QStringList top;
    for (qsizetype i = 0; i < processes.size() && i < 5; ++i)
        top.append(QStringLiteral("%1: %2").arg(KnownPrograms::nameOf(processes[i]),
                                                SkillText::bytes(processes[i].residentKb * 1024)));
    return SkillText::lines({QStringLiteral("🧠 Memory: %1 used of %2 (%3%), %4 available")
                                 .arg(SkillText::bytes(used), SkillText::bytes(total))
                                 .arg(used * 100 / total)
                                 .arg(SkillText::bytes(available)),
                             swapTotal > 0 ? QStringLiteral("Swap: %1 used of %2")
                                                 .arg(SkillText::bytes(swapUsed), SkillText::bytes(swapTotal))
                                           : QStringLiteral("Swap: not configured"),
                             QStringLiteral("Largest processes:"), SkillText::bullets(top)});
}

QString diskUsage(const SkillInput& input)
{
    const ToolOutput df = input.output(QStringLiteral("df"));
    const QList<DiskFree::FileSystem> systems = DiskFree::parse(df.out);
    if (systems.isEmpty())
        return QStringLiteral("Disk usage: df gave no answer%1")
            .arg(df.err.isEmpty() ? QString() : QStringLiteral(" (") + df.err.trimmed() + QLatin1Char(')'));
    QStringList lines;
    QStringList warnings;
    for (const DiskFree::FileSystem& fs : systems) {
        lines.append(QStringLiteral("%1: %2 used of %3 (%4%), %5 free [%6, %7]")
                         .arg(fs.mountPoint, SkillText::bytes(fs.used), SkillText::bytes(fs.size))
                         .arg(fs.usedPercent())
                         .arg(SkillText::bytes(fs.available), fs.type, fs.device));
        if (fs.usedPercent() >= 90)
            warnings.append(QStringLiteral("⚠️ %1 is %2% full").arg(fs.mountPoint).arg(fs.usedPercent()));
    }
    return SkillText::lines(QStringList{QStringLiteral("💾 Disk usage")} + lines + warnings);
}

QString batteryStatus(const SkillInput& input)
{
    const QString base = input.paths.sys + QStringLiteral("/class/power_supply");
    QStringList batteries;
    QString mains;
    for (const QString& supply : subdirectories(base)) {
        const QHash<QString, QString> values = TextFields::assignments(
            TextFields::readFile(base + QLatin1Char('/') + supply + QStringLiteral("/uevent")));
        const QString type = values.value(QStringLiteral("POWER_SUPPLY_TYPE"));
        if (type == QLatin1String("Mains")) {
            mains = values.value(QStringLiteral("POWER_SUPPLY_ONLINE")) == QLatin1String("1")
                        ? QStringLiteral("Power adapter: connected")
                        : QStringLiteral("Power adapter: not connected");
            continue;
        }
        if (type != QLatin1String("Battery") ||
            values.value(QStringLiteral("POWER_SUPPLY_SCOPE")) == QLatin1String("Device"))
            continue;
        const qint64 full = values
                                .value(QStringLiteral("POWER_SUPPLY_ENERGY_FULL"),
                                       values.value(QStringLiteral("POWER_SUPPLY_CHARGE_FULL")))
                                .toLongLong();
        const qint64 design = values
                                  .value(QStringLiteral("POWER_SUPPLY_ENERGY_FULL_DESIGN"),
                                         values.value(QStringLiteral("POWER_SUPPLY_CHARGE_FULL_DESIGN")))
                                  .toLongLong();
        QString line =
            QStringLiteral("🔋 %1: %2%, %3")
                .arg(supply, values.value(QStringLiteral("POWER_SUPPLY_CAPACITY"), QStringLiteral("?")),
                     values.value(QStringLiteral("POWER_SUPPLY_STATUS"), QStringLiteral("unknown state"))
                         .toLower());
        if (full > 0 && design > 0)
            line += QStringLiteral(", health %1% of its design capacity").arg(full * 100 / design);
        const QString cycles = values.value(QStringLiteral("POWER_SUPPLY_CYCLE_COUNT"));
        if (!cycles.isEmpty() && cycles != QLatin1String("0"))
            line += QStringLiteral(", %1 charge cycles").arg(cycles);
        batteries.append(line);
    }
    if (batteries.isEmpty())
        return SkillText::lines({QStringLiteral("🔋 Battery: none, this machine runs on mains power"), mains});
    return SkillText::lines(batteries + QStringList{mains});
}

QString cpuTemperature(const SkillInput& input)
{
    const CpuReading reading = HwmonSensor::read(input.paths.sys);
    if (!reading.celsius)
        return QStringLiteral("🌡️ CPU temperature: no temperature sensor is readable on this machine (a "
                              "virtual machine has none)");
    static const QStringList states{QStringLiteral("normal"), QStringLiteral("warm"),
                                    QStringLiteral("hot, the processor may slow down"),
                                    QStringLiteral("critical")};
    const QString state = reading.thermalState ? states.value(int(*reading.thermalState)) : QString();
    return QStringLiteral("🌡️ CPU temperature: %1 °C%2")
        .arg(*reading.celsius, 0, 'f', 1)
        .arg(state.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(state));
}

QString pciVendor(const QString& id)
{
    static const QHash<QString, QString> vendors{
        {QStringLiteral("0x8086"), QStringLiteral("Intel")},
        {QStringLiteral("0x10de"), QStringLiteral("NVIDIA")},
        {QStringLiteral("0x1002"), QStringLiteral("AMD")},
        {QStringLiteral("0x1af4"), QStringLiteral("Virtio (virtual)")},
        {QStringLiteral("0x1234"), QStringLiteral("QEMU (virtual)")},
        {QStringLiteral("0x15ad"), QStringLiteral("VMware (virtual)")},
        {QStringLiteral("0x80ee"), QStringLiteral("VirtualBox (virtual)")},
        {QStringLiteral("0x1414"), QStringLiteral("Microsoft Hyper-V (virtual)")},
        {QStringLiteral("0x1a03"), QStringLiteral("ASPEED")}};
    return vendors.value(id, id);
}

QString gpuInfo(const SkillInput& input)
{
    QStringList adapters;
    const QString pci = input.paths.sys + QStringLiteral("/bus/pci/devices");
    for (const QString& device : subdirectories(pci)) {
        const QString path = pci + QLatin1Char('/') + device;
        // PCI class 0x03xxxx: display controllers.
        if (!TextFields::readFile(path + QStringLiteral("/class"))
                 .trimmed()
                 .startsWith(QLatin1String("0x03")))
            continue;
        const QString driver =
            QFileInfo(path + QStringLiteral("/driver")).symLinkTarget().section(QLatin1Char('/'), -1);
        adapters.append(QStringLiteral("%1 %2 at %3, driver: %4")
                            .arg(pciVendor(TextFields::readFile(path + QStringLiteral("/vendor")).trimmed()),
                                 TextFields::readFile(path + QStringLiteral("/device")).trimmed(), device,
                                 driver.isEmpty() ? QStringLiteral("none") : driver));
    }
    const QString lspci = input.output(QStringLiteral("lspci")).out;
    QStringList names;
    for (const QString& line : lspci.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.contains(QLatin1String("VGA")) || line.contains(QLatin1String("3D controller")) ||
            line.contains(QLatin1String("Display controller")))
            names.append(line.trimmed());
    }
    if (adapters.isEmpty() && names.isEmpty())
        return QStringLiteral(
            "🖥️ GPU: no graphics adapter is visible (a server or a virtual machine without a display)");
    return SkillText::lines(
        {QStringLiteral("🖥️ GPU"), SkillText::bullets(names.isEmpty() ? adapters : names)});
}

bool isPhysicalDisk(const QString& name)
{
    static const QStringList virtualPrefixes{
        QStringLiteral("loop"), QStringLiteral("ram"), QStringLiteral("zram"), QStringLiteral("dm-"),
        QStringLiteral("sr"),   QStringLiteral("md"),  QStringLiteral("nbd")};
    return !std::any_of(virtualPrefixes.cbegin(), virtualPrefixes.cend(),
                        [&](const QString& p) { return name.startsWith(p); });
}

QStringList disks(const SkillInput& input)
{
    QStringList names;
    for (const QString& name : subdirectories(input.paths.sys + QStringLiteral("/block"))) {
        if (isPhysicalDisk(name))
            names.append(name);
    }
    return names;
}

ToolCalls smartCalls(const SkillInput& input)
{
    ToolCalls calls;
    for (const QString& disk : disks(input))
        calls.insert(QStringLiteral("smart:") + disk,
                     {QStringLiteral("smartctl"), {QStringLiteral("-H"), QStringLiteral("/dev/") + disk}});
    return calls;
}

QString smartVerdict(const ToolOutput& smart)
{
    if (!smart.available)
        return QStringLiteral("SMART health unknown (smartmontools is not installed)");
    for (const QString& line : smart.out.split(QLatin1Char('\n'))) {
        if (line.contains(QLatin1String("overall-health")) ||
            line.startsWith(QLatin1String("SMART Health Status")))
            return QStringLiteral("SMART: ") + line.section(QLatin1Char(':'), 1).trimmed();
    }
    if (smart.out.contains(QLatin1String("Permission denied")) ||
        smart.err.contains(QLatin1String("Permission denied")))
        return QStringLiteral("SMART health needs administrator rights (sudo smartctl -H)");
    return QStringLiteral("SMART health not reported by this drive");
}

QString ssdHealth(const SkillInput& input)
{
    QStringList lines;
    for (const QString& disk : disks(input)) {
        const QString base = QStringLiteral("/block/") + disk;
        const qint64 bytes = sysFile(input, base + QStringLiteral("/size")).toLongLong() * 512;
        if (bytes <= 0)
            continue;
        const QString model = sysFile(input, base + QStringLiteral("/device/model"));
        const bool rotational =
            sysFile(input, base + QStringLiteral("/queue/rotational")) == QLatin1String("1");
        lines.append(QStringLiteral("%1 (%2, %3, %4): %5")
                         .arg(disk, model.isEmpty() ? QStringLiteral("unknown model") : model,
                              SkillText::bytes(bytes),
                              rotational ? QStringLiteral("hard disk") : QStringLiteral("solid state"),
                              smartVerdict(input.output(QStringLiteral("smart:") + disk))));
    }
    if (lines.isEmpty())
        return QStringLiteral("💿 Drives: no physical drive is visible");
    return SkillText::lines({QStringLiteral("💿 Drive health"), SkillText::bullets(lines)});
}

QString gsettingsValue(const SkillInput& input, const QString& key)
{
    const ToolOutput output = input.output(key);
    return output.succeeded() ? output.out.trimmed() : QString();
}

QString screenLock(const SkillInput& input)
{
    const QString lockEnabled = gsettingsValue(input, QStringLiteral("lock-enabled"));
    const QString idleDelay =
        gsettingsValue(input, QStringLiteral("idle-delay")).section(QLatin1Char(' '), -1);
    const QString lockDelay =
        gsettingsValue(input, QStringLiteral("lock-delay")).section(QLatin1Char(' '), -1);
    QStringList lines;
    if (lockEnabled.isEmpty()) {
        lines.append(QStringLiteral(
            "🔒 Screen lock: no GNOME settings to read (gsettings is missing or this is another desktop)"));
    } else if (lockEnabled == QLatin1String("true")) {
        const int idle = idleDelay.toInt();
        const int delay = lockDelay.toInt();
        const QString when = delay > 0 ? QStringLiteral("%1 s after the screen blanks").arg(delay)
                                       : QStringLiteral("as soon as the screen blanks");
        lines.append(
            idle > 0 ? QStringLiteral("🔒 Screen lock (GNOME): on, %1; the screen blanks after %2 min idle")
                           .arg(when)
                           .arg(idle / 60)
                     : QStringLiteral("⚠️ Screen lock (GNOME): on, but the screen never blanks by itself "
                                      "(idle delay is off)"));
    } else {
        lines.append(
            QStringLiteral("⚠️ Screen lock (GNOME): off, anyone at the keyboard can use this session"));
    }
    const QHash<QString, QString> session =
        TextFields::assignments(input.output(QStringLiteral("session")).out);
    if (session.contains(QStringLiteral("LockedHint")))
        lines.append(QStringLiteral("Session %1: %2")
                         .arg(session.value(QStringLiteral("Id")),
                              session.value(QStringLiteral("LockedHint")) == QLatin1String("yes")
                                  ? QStringLiteral("locked")
                                  : QStringLiteral("unlocked")));
    return SkillText::lines(lines);
}

ToolCall gsettings(const QString& schema, const QString& key)
{
    return {QStringLiteral("gsettings"), {QStringLiteral("get"), schema, key}};
}

} // namespace

QList<Skill> SkillGroups::system()
{
    return {
        {QStringLiteral("memory-usage"), {}, &memoryUsage, {}},
        {QStringLiteral("disk-usage"),
         {{QStringLiteral("df"),
           {QStringLiteral("df"),
            {QStringLiteral("-P"), QStringLiteral("-T"), QStringLiteral("-B1"), QStringLiteral("-x"),
             QStringLiteral("tmpfs"), QStringLiteral("-x"), QStringLiteral("devtmpfs"), QStringLiteral("-x"),
             QStringLiteral("squashfs"), QStringLiteral("-x"), QStringLiteral("overlay"),
             QStringLiteral("-x"), QStringLiteral("efivarfs")}}}},
         &diskUsage,
         {}},
        {QStringLiteral("battery-status"), {}, &batteryStatus, {}},
        {QStringLiteral("cpu-temperature"), {}, &cpuTemperature, {}},
        {QStringLiteral("gpu-info"),
         {{QStringLiteral("lspci"), {QStringLiteral("lspci"), {}}}},
         &gpuInfo,
         {}},
        {QStringLiteral("ssd-health"), {}, &ssdHealth, &smartCalls},
        {QStringLiteral("screen-lock-status"),
         {{QStringLiteral("lock-enabled"),
           gsettings(QStringLiteral("org.gnome.desktop.screensaver"), QStringLiteral("lock-enabled"))},
          {QStringLiteral("lock-delay"),
           gsettings(QStringLiteral("org.gnome.desktop.screensaver"), QStringLiteral("lock-delay"))},
          {QStringLiteral("idle-delay"),
           gsettings(QStringLiteral("org.gnome.desktop.session"), QStringLiteral("idle-delay"))},
          {QStringLiteral("session"),
           {QStringLiteral("loginctl"),
            {QStringLiteral("show-session"), QStringLiteral("auto"), QStringLiteral("-p"),
             QStringLiteral("Id"), QStringLiteral("-p"), QStringLiteral("LockedHint")}}}},
         &screenLock,
         {}},
    };
}
