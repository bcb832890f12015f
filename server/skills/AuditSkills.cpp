#include "skills/SkillGroups.h"
#include "skills/SkillText.h"
#include "skills/parsers/AptUpgrades.h"
#include "skills/parsers/BrowserExtensions.h"
#include "skills/parsers/DesktopEntry.h"
#include "skills/parsers/LoginRecords.h"
#include "skills/parsers/TextFields.h"
#include "skills/parsers/UnitFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

namespace {

ToolCall tool(const QString& name, const QStringList& arguments)
{
    return {name, arguments};
}

QStringList filesIn(const QString& directory, const QString& pattern)
{
    QStringList paths;
    const QDir dir(directory);
    for (const QString& name : dir.entryList({pattern}, QDir::Files | QDir::Hidden))
        paths.append(dir.filePath(name));
    return paths;
}

QString backupStatus(const SkillInput& input)
{
    QStringList found;
    QString dejaDup = input.output(QStringLiteral("dejadup")).out.trimmed();
    dejaDup.remove(QLatin1Char('\''));
    if (input.output(QStringLiteral("dejadup")).succeeded() && !dejaDup.isEmpty())
        found.append(QStringLiteral("Déjà Dup: last backup %1").arg(dejaDup));
    if (QFileInfo::exists(QStringLiteral("/etc/timeshift/timeshift.json")))
        found.append(QStringLiteral("Timeshift: configured (/etc/timeshift/timeshift.json)"));
    if (!filesIn(QStringLiteral("/etc/snapper/configs"), QStringLiteral("*")).isEmpty())
        found.append(QStringLiteral("Snapper: snapshot configurations in /etc/snapper/configs"));
    for (const QString& tool : {QStringLiteral("borg"), QStringLiteral("borgmatic"), QStringLiteral("restic"),
                                QStringLiteral("resticprofile"), QStringLiteral("rclone"),
                                QStringLiteral("duplicity"), QStringLiteral("kopia")}) {
        if (QFileInfo::exists(input.paths.home + QStringLiteral("/.config/") + tool))
            found.append(QStringLiteral("%1: configured in ~/.config/%1").arg(tool));
    }
    static const QRegularExpression backupTimer(
        QStringLiteral("(backup|borg|restic|rsnapshot|duplicity|deja|timeshift|snapper|kopia)"),
        QRegularExpression::CaseInsensitiveOption);
    for (const QString& key : {QStringLiteral("timers"), QStringLiteral("user-timers")}) {
        for (const QString& line : input.output(key).out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QString unit = line.simplified().section(QLatin1Char(' '), -2, -2);
            if (backupTimer.match(unit).hasMatch())
                found.append(QStringLiteral("Scheduled: %1").arg(line.simplified()));
        }
    }
    if (found.isEmpty())
        return QStringLiteral(
            "⚠️ Backup: none configured (no Déjà Dup, Timeshift, Snapper, borg, restic "
            "or backup timer)");
    return SkillText::lines({QStringLiteral("💾 Backup"), SkillText::bullets(found)});
}

QStringList bluetoothAdapters(const SkillInput& input)
{
    return QDir(input.paths.sys + QStringLiteral("/class/bluetooth"))
        .entryList({QStringLiteral("hci*")}, QDir::Dirs | QDir::System | QDir::NoDotAndDotDot);
}

// bluetoothctl waits for the Bluetooth service when none runs: it is only asked when there is an adapter.
ToolCalls bluetoothCalls(const SkillInput& input)
{
    if (bluetoothAdapters(input).isEmpty())
        return {};
    return {{QStringLiteral("show"), tool(QStringLiteral("bluetoothctl"), {QStringLiteral("show")})},
            {QStringLiteral("paired"),
             tool(QStringLiteral("bluetoothctl"), {QStringLiteral("devices"), QStringLiteral("Paired")})},
            {QStringLiteral("connected"),
             tool(QStringLiteral("bluetoothctl"), {QStringLiteral("devices"), QStringLiteral("Connected")})}};
}

QStringList deviceNames(const QString& output)
{
    QStringList names;
    for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1String("Device ")))
            names.append(line.section(QLatin1Char(' '), 2));
    }
    return names;
}

QString bluetoothAudit(const SkillInput& input)
{
    if (bluetoothAdapters(input).isEmpty())
        return QStringLiteral("🔵 Bluetooth: no adapter on this machine");
    QStringList blocked;
    const QString rfkill = input.paths.sys + QStringLiteral("/class/rfkill");
    for (const QString& entry : QDir(rfkill).entryList(QDir::Dirs | QDir::System | QDir::NoDotAndDotDot)) {
        const QString base = rfkill + QLatin1Char('/') + entry;
        if (TextFields::readFile(base + QStringLiteral("/type")).trimmed() == QLatin1String("bluetooth") &&
            (TextFields::readFile(base + QStringLiteral("/soft")).trimmed() == QLatin1String("1") ||
             TextFields::readFile(base + QStringLiteral("/hard")).trimmed() == QLatin1String("1")))
            blocked.append(entry);
    }
    if (!blocked.isEmpty())
        return QStringLiteral("🔵 Bluetooth: switched off (radio blocked)");
    const QHash<QString, QString> show = TextFields::colonSeparated(input.output(QStringLiteral("show")).out);
    if (show.isEmpty())
        return QStringLiteral("🔵 Bluetooth: adapter present, the Bluetooth service does not answer");
    const bool discoverable = show.value(QStringLiteral("Discoverable")) == QLatin1String("yes");
    return SkillText::lines(
        {QStringLiteral("🔵 Bluetooth: %1")
             .arg(show.value(QStringLiteral("Powered")) == QLatin1String("yes") ? QStringLiteral("on")
                                                                                : QStringLiteral("off")),
         discoverable ? QStringLiteral("⚠️ Discoverable: every device nearby can see this machine")
                      : QStringLiteral("Not discoverable"),
         QStringLiteral("Paired devices: %1")
             .arg(deviceNames(input.output(QStringLiteral("paired")).out).join(QStringLiteral(", "))),
         QStringLiteral("Connected now: %1")
             .arg(deviceNames(input.output(QStringLiteral("connected")).out).join(QStringLiteral(", ")))});
}

QString browserExtensions(const SkillInput& input)
{
    const QList<BrowserExtensions::Extension> extensions = BrowserExtensions::scan(input.paths.home);
    if (extensions.isEmpty())
        return QStringLiteral("🌐 Browser extensions: none installed in Firefox, Chrome, Chromium, Brave, "
                              "Edge or Vivaldi profiles");
    QMap<QString, QStringList> byBrowser;
    for (const BrowserExtensions::Extension& extension : extensions)
        byBrowser[extension.browser].append(extension.name +
                                            (extension.enabled ? QString() : QStringLiteral(" (disabled)")));
    QStringList lines{
        QStringLiteral(
            "🌐 Browser extensions: %1 (each can read the pages you visit, check you still use them)")
            .arg(extensions.size())};
    for (auto it = byBrowser.begin(); it != byBrowser.end(); ++it) {
        it.value().removeDuplicates();
        lines.append(it.key() + QLatin1Char(':'));
        lines.append(SkillText::bullets(it.value(), 30));
    }
    return SkillText::lines(lines);
}

QString secureBootState(const SkillInput& input)
{
    if (!QFileInfo::exists(input.paths.sys + QStringLiteral("/firmware/efi")))
        return QStringLiteral("Secure Boot: not available (the machine starts in legacy BIOS mode)");
    QFile variable(input.paths.sys +
                   QStringLiteral("/firmware/efi/efivars/SecureBoot-8be4df61-93ca-11d2-aa0d-e0b5bf6c3c0f"));
    if (!variable.open(QIODevice::ReadOnly))
        return QStringLiteral("Secure Boot: unknown (the firmware variable is not readable)");
    // Four bytes of attributes, then the value.
    const QByteArray bytes = variable.readAll();
    return bytes.size() >= 5 && bytes.at(4) == 1
               ? QStringLiteral("✅ Secure Boot: on, only signed boot loaders and kernels start")
               : QStringLiteral("⚠️ Secure Boot: off");
}

QString gatekeeperStatus(const SkillInput& input)
{
    auto sys = [&](const QString& path) { return TextFields::readFile(input.paths.sys + path).trimmed(); };
    const QString apparmor = sys(QStringLiteral("/module/apparmor/parameters/enabled"));
    const QString selinux = sys(QStringLiteral("/fs/selinux/enforce"));
    QString mac = QStringLiteral("⚠️ Mandatory access control: neither AppArmor nor SELinux is active");
    if (apparmor == QLatin1String("Y"))
        mac =
            QStringLiteral("✅ AppArmor: enabled, confined programs can only touch what their profile allows");
    else if (selinux == QLatin1String("1"))
        mac = QStringLiteral("✅ SELinux: enforcing");
    else if (selinux == QLatin1String("0"))
        mac = QStringLiteral("⚠️ SELinux: permissive (violations are only logged)");
    const QString lockdown = sys(QStringLiteral("/kernel/security/lockdown"));
    const QString signatures = sys(QStringLiteral("/module/module/parameters/sig_enforce"));
    return SkillText::lines(
        {QStringLiteral("🛡️ Gatekeeper and System Integrity Protection are macOS features. Their Linux "
                        "counterparts:"),
         secureBootState(input), mac,
         lockdown.isEmpty() ? QString() : QStringLiteral("Kernel lockdown: %1").arg(lockdown),
         signatures == QLatin1String("Y") ? QStringLiteral("Kernel modules: only signed ones load")
                                          : QStringLiteral("Kernel modules: unsigned ones may load")});
}

QStringList autostartEntries(const QString& directory)
{
    QStringList entries;
    for (const QString& path : filesIn(directory, QStringLiteral("*.desktop"))) {
        const DesktopEntry entry = DesktopEntry::read(path);
        if (!entry.hidden && entry.autostartEnabled)
            entries.append(QStringLiteral("%1 (%2)").arg(
                entry.name.isEmpty() ? QFileInfo(path).fileName() : entry.name, entry.exec));
    }
    return entries;
}

QString launchDaemonAudit(const SkillInput& input)
{
    const QStringList system = UnitFiles::enabledUnits(input.output(QStringLiteral("system")).out);
    const QStringList user = UnitFiles::enabledUnits(input.output(QStringLiteral("user")).out);
    const QStringList ownUnits =
        QDir(input.paths.home + QStringLiteral("/.config/systemd/user"))
            .entryList({QStringLiteral("*.service"), QStringLiteral("*.timer")}, QDir::Files);
    const QStringList userAutostart =
        autostartEntries(input.paths.home + QStringLiteral("/.config/autostart"));
    const QStringList systemAutostart = autostartEntries(QStringLiteral("/etc/xdg/autostart"));
    return SkillText::lines(
        {QStringLiteral("🚀 Programs started automatically (Linux's launch daemons and agents)"),
         QStringLiteral("System services enabled: %1").arg(system.size()), SkillText::bullets(system, 40),
         QStringLiteral("Your services enabled: %1").arg(user.size()), SkillText::bullets(user, 20),
         ownUnits.isEmpty()
             ? QString()
             : QStringLiteral(
                   "⚠️ Services you (or a program you ran) added in ~/.config/systemd/user:\n") +
                   SkillText::bullets(ownUnits),
         userAutostart.isEmpty()
             ? QString()
             : QStringLiteral("⚠️ Started at your login from ~/.config/autostart:\n") +
                   SkillText::bullets(userAutostart),
         QStringLiteral("Desktop autostart entries of the system: %1").arg(systemAutostart.size())});
}

QString loginHistory(const SkillInput& input)
{
    const ToolOutput last = input.output(QStringLiteral("last"));
    const QList<LoginRecords::Login> logins = LoginRecords::parse(last.out);
    if (logins.isEmpty())
        return last.succeeded()
                   ? QStringLiteral("🔑 Login history: no login recorded yet")
                   : QStringLiteral("🔑 Login history: not recorded on this machine (%1)")
                         .arg(last.available ? last.err.trimmed() : QStringLiteral("last is not installed"));
    QStringList lines;
    int remote = 0;
    for (const LoginRecords::Login& login : logins) {
        if (login.isBoot()) {
            lines.append(QStringLiteral("%1 system start (%2)")
                             .arg(login.start, login.terminal == QLatin1String("system boot")
                                                   ? login.host
                                                   : login.terminal));
            continue;
        }
        remote += login.isRemote() ? 1 : 0;
        lines.append(QStringLiteral("%1 %2 on %3%4, %5")
                         .arg(login.start, login.user, login.terminal,
                              login.isRemote() ? QStringLiteral(" from ") + login.host : QString(),
                              login.status));
    }
    return SkillText::lines(
        {QStringLiteral("🔑 Login history: %1 recent, %2 from other machines").arg(logins.size()).arg(remote),
         SkillText::bullets(lines, 25)});
}

QString permissionAudit(const SkillInput& input)
{
    static const QHash<QString, QString> powerfulGroups{
        {QStringLiteral("sudo"), QStringLiteral("can become administrator")},
        {QStringLiteral("wheel"), QStringLiteral("can become administrator")},
        {QStringLiteral("admin"), QStringLiteral("can become administrator")},
        {QStringLiteral("docker"), QStringLiteral("controls Docker, which is as powerful as administrator")},
        {QStringLiteral("lxd"), QStringLiteral("controls LXD, which is as powerful as administrator")},
        {QStringLiteral("libvirt"), QStringLiteral("controls virtual machines")},
        {QStringLiteral("disk"), QStringLiteral("reads and writes whole disks directly")},
        {QStringLiteral("input"),
         QStringLiteral("⚠️ lets every program you run read the keyboard and mouse")},
        {QStringLiteral("video"), QStringLiteral("gives access to cameras and the display hardware")},
        {QStringLiteral("audio"),
         QStringLiteral("gives direct access to sound devices, microphones included")},
        {QStringLiteral("adm"), QStringLiteral("reads the system logs")},
        {QStringLiteral("shadow"), QStringLiteral("reads password hashes")},
        {QStringLiteral("kvm"), QStringLiteral("runs virtual machines")},
        {QStringLiteral("dialout"), QStringLiteral("uses serial ports and modems")},
    };
    const QStringList groups =
        input.output(QStringLiteral("groups")).out.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList grants;
    for (const QString& group : groups) {
        if (powerfulGroups.contains(group))
            grants.append(QStringLiteral("%1: %2").arg(group, powerfulGroups.value(group)));
    }
    QStringList openDevices;
    for (const QString& pattern :
         {QStringLiteral("video*"), QStringLiteral("snd/pcmC*c"), QStringLiteral("input/event*")}) {
        const QString directory =
            input.paths.dev + QLatin1Char('/') + pattern.section(QLatin1Char('/'), 0, -2);
        const QDir dir(pattern.contains(QLatin1Char('/')) ? directory : input.paths.dev);
        for (const QFileInfo& node :
             dir.entryInfoList({pattern.section(QLatin1Char('/'), -1)}, QDir::System | QDir::AllEntries)) {
            if (node.permissions() & QFileDevice::ReadOther)
                openDevices.append(node.filePath());
        }
    }
    const ToolOutput flatpak = input.output(QStringLiteral("flatpak"));
    QStringList flatpakGrants;
    for (const QString& line : flatpak.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() >= 4 &&
            (fields[0] == QLatin1String("devices") || fields[0] == QLatin1String("location")) &&
            fields[3].contains(QLatin1String("yes")))
            flatpakGrants.append(QStringLiteral("%1 may use %2").arg(fields[2], fields[1]));
    }
    return SkillText::lines(
        {QStringLiteral(
             "✅ Permissions (Linux grants them through groups and device files, not per application)"),
         QStringLiteral("Your groups: %1").arg(groups.join(QStringLiteral(", "))),
         grants.isEmpty() ? QStringLiteral("No group gives you extra powers.") : SkillText::bullets(grants),
         openDevices.isEmpty()
             ? QStringLiteral("Cameras, microphones and input devices are not readable by every user.")
             : QStringLiteral("⚠️ Readable by every user:\n") + SkillText::bullets(openDevices),
         flatpakGrants.isEmpty()
             ? QString()
             : QStringLiteral("Flatpak applications:\n") + SkillText::bullets(flatpakGrants)});
}

QString updateChecker(const SkillInput& input)
{
    QStringList lines;
    const ToolOutput apt = input.output(QStringLiteral("apt"));
    if (apt.succeeded()) {
        const QList<AptUpgrades::Upgrade> upgrades = AptUpgrades::parse(apt.out);
        const qsizetype security =
            std::count_if(upgrades.cbegin(), upgrades.cend(), [](const auto& u) { return u.isSecurity(); });
        const QDateTime listed = QFileInfo(QStringLiteral("/var/lib/apt/lists")).lastModified();
        lines.append(upgrades.isEmpty()
                         ? QStringLiteral("⬆️ Updates: the system is up to date")
                         : QStringLiteral("⬆️ Updates: %1 waiting, %2 of them security fixes")
                               .arg(upgrades.size())
                               .arg(security));
        QStringList names;
        for (const AptUpgrades::Upgrade& upgrade : upgrades)
            names.append(QStringLiteral("%1 %2 → %3%4")
                             .arg(upgrade.package, upgrade.installedVersion, upgrade.version,
                                  upgrade.isSecurity() ? QStringLiteral(" (security)") : QString()));
        lines.append(SkillText::bullets(names, 20));
        if (listed.isValid())
            lines.append(QStringLiteral("As of the package lists of %1 (apt update refreshes them).")
                             .arg(listed.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    } else if (input.output(QStringLiteral("dnf")).available) {
        const ToolOutput dnf = input.output(QStringLiteral("dnf"));
        // dnf check-update exits 100 when updates are waiting.
        const QStringList packages = TextFields::meaningfulLines(dnf.out);
        lines.append(dnf.exitCode == 100 ? QStringLiteral("⬆️ Updates: %1 waiting").arg(packages.size())
                                         : QStringLiteral("⬆️ Updates: the system is up to date"));
        lines.append(SkillText::bullets(packages, 20));
    } else {
        lines.append(QStringLiteral("⬆️ Updates: no supported package manager answered (apt or dnf)"));
    }
    const ToolOutput flatpak = input.output(QStringLiteral("flatpak"));
    if (flatpak.succeeded()) {
        const QStringList apps = TextFields::meaningfulLines(flatpak.out);
        lines.append(QStringLiteral("Flatpak: %1")
                         .arg(apps.isEmpty() ? QStringLiteral("up to date")
                                             : QStringLiteral("%1 updates").arg(apps.size())));
    }
    return SkillText::lines(lines);
}

QString installedApps(const SkillInput& input)
{
    const QStringList directories{QStringLiteral("/usr/share/applications"),
                                  QStringLiteral("/usr/local/share/applications"),
                                  input.paths.home + QStringLiteral("/.local/share/applications"),
                                  QStringLiteral("/var/lib/flatpak/exports/share/applications"),
                                  input.paths.home +
                                      QStringLiteral("/.local/share/flatpak/exports/share/applications"),
                                  QStringLiteral("/var/lib/snapd/desktop/applications")};
    QStringList names;
    for (const QString& directory : directories) {
        for (const QString& path : filesIn(directory, QStringLiteral("*.desktop"))) {
            const DesktopEntry entry = DesktopEntry::read(path);
            if (!entry.hidden && !entry.noDisplay && entry.type == QLatin1String("Application") &&
                !entry.name.isEmpty())
                names.append(entry.name);
        }
    }
    names.removeDuplicates();
    names.sort(Qt::CaseInsensitive);
    if (names.isEmpty())
        return QStringLiteral(
            "📦 Installed applications: none with a menu entry (a server without a desktop)");
    return SkillText::lines(
        {QStringLiteral("📦 Installed applications: %1").arg(names.size()), SkillText::bullets(names, 60)});
}

QString uninstallApp(const SkillInput&)
{
    return QStringLiteral("🗑️ Halvex does not remove software on Linux: programs belong to the package "
                          "manager that installed them.\n"
                          "• Debian, Ubuntu: sudo apt remove <package>\n"
                          "• Fedora: sudo dnf remove <package>\n"
                          "• Flatpak: flatpak uninstall <application id>\n"
                          "• Snap: sudo snap remove <name>\n"
                          "The Installed skill lists what is installed.");
}

QStringList listUnits(bool user)
{
    QStringList arguments{QStringLiteral("list-unit-files"), QStringLiteral("--state=enabled"),
                          QStringLiteral("--no-legend"), QStringLiteral("--no-pager"),
                          QStringLiteral("--type=service,timer,socket,path")};
    if (user)
        arguments.prepend(QStringLiteral("--user"));
    return arguments;
}

QStringList listTimers(bool user)
{
    QStringList arguments{QStringLiteral("list-timers"), QStringLiteral("--all"),
                          QStringLiteral("--no-legend"), QStringLiteral("--no-pager")};
    if (user)
        arguments.prepend(QStringLiteral("--user"));
    return arguments;
}

} // namespace

QList<Skill> SkillGroups::audit()
{
    return {
        {QStringLiteral("backup-status"),
         {{QStringLiteral("dejadup"),
           tool(QStringLiteral("gsettings"),
                {QStringLiteral("get"), QStringLiteral("org.gnome.DejaDup"), QStringLiteral("last-backup")})},
          {QStringLiteral("timers"), tool(QStringLiteral("systemctl"), listTimers(false))},
          {QStringLiteral("user-timers"), tool(QStringLiteral("systemctl"), listTimers(true))}},
         &backupStatus,
         {}},
        {QStringLiteral("bluetooth-audit"), {}, &bluetoothAudit, &bluetoothCalls},
        {QStringLiteral("browser-extensions"), {}, &browserExtensions, {}},
        {QStringLiteral("gatekeeper-sip-status"), {}, &gatekeeperStatus, {}},
        {QStringLiteral("launch-daemon-audit"),
         {{QStringLiteral("system"), tool(QStringLiteral("systemctl"), listUnits(false))},
          {QStringLiteral("user"), tool(QStringLiteral("systemctl"), listUnits(true))}},
         &launchDaemonAudit,
         {}},
        {QStringLiteral("login-history"),
         {{QStringLiteral("last"),
           tool(QStringLiteral("last"),
                {QStringLiteral("--time-format"), QStringLiteral("iso"), QStringLiteral("-w"),
                 QStringLiteral("-i"), QStringLiteral("-n"), QStringLiteral("25")})}},
         &loginHistory,
         {}},
        {QStringLiteral("permission-audit"),
         {{QStringLiteral("groups"), tool(QStringLiteral("id"), {QStringLiteral("-Gn")})},
          {QStringLiteral("flatpak"), tool(QStringLiteral("flatpak"), {QStringLiteral("permissions")})}},
         &permissionAudit,
         {}},
        {QStringLiteral("update-checker"),
         {{QStringLiteral("apt"),
           tool(QStringLiteral("apt"), {QStringLiteral("list"), QStringLiteral("--upgradable")})},
          {QStringLiteral("dnf"),
           tool(QStringLiteral("dnf"),
                {QStringLiteral("-q"), QStringLiteral("--cacheonly"), QStringLiteral("check-update")})},
          {QStringLiteral("flatpak"),
           tool(QStringLiteral("flatpak"), {QStringLiteral("remote-ls"), QStringLiteral("--updates"),
                                            QStringLiteral("--columns=application")})}},
         &updateChecker,
         {}},
        {QStringLiteral("installed-apps"), {}, &installedApps, {}},
        {QStringLiteral("uninstall-app"), {}, &uninstallApp, {}},
    };
}
