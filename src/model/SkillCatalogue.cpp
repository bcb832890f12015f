#include "model/SkillCatalogue.h"

#include "model/TextUtil.h"

#include <algorithm>
#include <array>

namespace {

struct SkillRow
{
    SkillCategory::Case category;
    QStringView id;
    QStringView emoji;
    QStringView name;
};

// Every built-in skill, categories in declaration order, each category's skills in display order.
constexpr auto catalogue = std::to_array<SkillRow>({
    {SkillCategory::quick, u"camera-status", u"📹", u"Camera"},
    {SkillCategory::quick, u"microphone-status", u"🎤", u"Microphone"},
    {SkillCategory::quick, u"location-status", u"📍", u"Location"},
    {SkillCategory::quick, u"firewall-status", u"🔥", u"Firewall"},
    {SkillCategory::quick, u"vpn-checker", u"🔐", u"VPN"},
    {SkillCategory::quick, u"wifi-scanner", u"📡", u"WiFi"},
    {SkillCategory::quick, u"screen-sharing-status", u"🖥️", u"Screen Share"},
    {SkillCategory::quick, u"screenshot", u"📸", u"Screenshot"},
    {SkillCategory::quick, u"clean-ram", u"🧹", u"Clean RAM"},
    {SkillCategory::quick, u"network-connections", u"🌐", u"Network"},
    {SkillCategory::quick, u"memory-usage", u"🧠", u"Memory"},
    {SkillCategory::quick, u"open-ports", u"🔌", u"Ports"},

    {SkillCategory::security, u"firewall-status", u"🔥", u"Firewall"},
    {SkillCategory::security, u"vpn-checker", u"🔐", u"VPN"},
    {SkillCategory::security, u"open-ports", u"🔌", u"Open Ports"},
    {SkillCategory::security, u"wifi-scanner", u"📡", u"WiFi Scan"},
    {SkillCategory::security, u"ssh-connections", u"🔑", u"SSH"},
    {SkillCategory::security, u"location-status", u"📍", u"Location"},
    {SkillCategory::security, u"wifi-intelligence", u"🧠", u"WiFi Intel"},
    {SkillCategory::security, u"screen-lock-status", u"🔒", u"Screen Lock"},

    {SkillCategory::cleanup, u"clean-ram", u"🧹", u"Clean RAM"},
    {SkillCategory::cleanup, u"clean-disk", u"💾", u"Clean Disk"},
    {SkillCategory::cleanup, u"clean-cache", u"🗑️", u"Clean Cache"},
    {SkillCategory::cleanup, u"clean-all", u"🔄", u"Clean All"},

    {SkillCategory::system, u"disk-usage", u"💾", u"Disk Usage"},
    {SkillCategory::system, u"process-list", u"📋", u"Processes"},
    {SkillCategory::system, u"memory-usage", u"🧠", u"Memory"},
    {SkillCategory::system, u"battery-status", u"🔋", u"Battery"},
    {SkillCategory::system, u"cpu-temperature", u"🌡️", u"CPU Temp"},
    {SkillCategory::system, u"gpu-info", u"🖥️", u"GPU Info"},
    {SkillCategory::system, u"ssd-health", u"💿", u"SSD Health"},

    {SkillCategory::monitor, u"camera-status", u"📹", u"Camera"},
    {SkillCategory::monitor, u"microphone-status", u"🎤", u"Microphone"},
    {SkillCategory::monitor, u"network-connections", u"🌐", u"Network"},
    {SkillCategory::monitor, u"location-status", u"📍", u"Location"},

    {SkillCategory::threat, u"clipboard-monitor", u"📋", u"Clipboard"},
    {SkillCategory::threat, u"dns-leak-test", u"🔍", u"DNS Leak"},
    {SkillCategory::threat, u"keylogger-detector", u"⌨️", u"Keylogger"},
    {SkillCategory::threat, u"network-sniff-detector", u"👁️", u"Net Sniffer"},
    {SkillCategory::threat, u"rootkit-scanner", u"🦠", u"Rootkit"},

    {SkillCategory::audit, u"backup-status", u"💾", u"Backup"},
    {SkillCategory::audit, u"bluetooth-audit", u"🔵", u"Bluetooth"},
    {SkillCategory::audit, u"browser-extensions", u"🌐", u"Browser Ext"},
    {SkillCategory::audit, u"gatekeeper-sip-status", u"🛡️", u"Gatekeeper"},
    {SkillCategory::audit, u"launch-daemon-audit", u"🚀", u"Daemons"},
    {SkillCategory::audit, u"login-history", u"🔑", u"Login Hist"},
    {SkillCategory::audit, u"permission-audit", u"✅", u"Permissions"},
    {SkillCategory::audit, u"sharing-status", u"🔗", u"Sharing"},
    {SkillCategory::audit, u"update-checker", u"⬆️", u"Updates"},

    {SkillCategory::apps, u"installed-apps", u"📦", u"Installed"},
    {SkillCategory::apps, u"uninstall-app", u"🗑️", u"Uninstall"},

    {SkillCategory::screen, u"screen-sharing-status", u"📊", u"Status"},
    {SkillCategory::screen, u"screen-sharing-info", u"📍", u"Info"},
    {SkillCategory::screen, u"screen-sharing-enable", u"✅", u"Enable"},
    {SkillCategory::screen, u"screen-sharing-disable", u"❌", u"Disable"},
    {SkillCategory::screen, u"screenshot", u"📸", u"Screenshot"},

    {SkillCategory::logs, u"flush-dns", u"🔄", u"Flush DNS"},
    {SkillCategory::logs, u"dns-servers", u"🌐", u"DNS Servers"},
    {SkillCategory::logs, u"recent-errors", u"🔍", u"Errors"},
    {SkillCategory::logs, u"recent-crashes", u"💥", u"Crashes"},
    {SkillCategory::logs, u"log-summary", u"📋", u"Log Summary"},
    {SkillCategory::logs, u"hosts-file", u"📄", u"Hosts File"},
    {SkillCategory::logs, u"network-interfaces", u"🔌", u"Interfaces"},
    {SkillCategory::logs, u"routing-table", u"🗺️", u"Routes"},
});
static_assert(catalogue.size() == 64);
static_assert(std::ranges::is_sorted(catalogue, {}, &SkillRow::category));

// Run by hand only: one-shot actions and actions with side effects. Some name backend commands that
// are not offered as tiles.
constexpr std::array<QStringView, 10> nonAutomatable{
    u"uninstall-app",          u"block",      u"setup-sudoers",
    u"setup-native",           u"screenshot", u"screen-sharing-enable",
    u"screen-sharing-disable", u"flush-dns",  u"blockable-apps",
    u"block-status",
};

QuickSkill toSkill(const SkillRow& row)
{
    return {TextUtil::staticText(row.id), TextUtil::staticText(row.emoji), TextUtil::staticText(row.name),
            row.category};
}

} // namespace

QList<QuickSkill> SkillCategory::skills() const
{
    QList<QuickSkill> skills;
    for (const SkillRow& row : catalogue) {
        if (row.category == m_case)
            skills.append(toSkill(row));
    }
    return skills;
}

namespace SkillCatalogue {

QList<QuickSkill> allSkills()
{
    QList<QuickSkill> skills;
    skills.reserve(qsizetype(catalogue.size()));
    for (const SkillRow& row : catalogue)
        skills.append(toSkill(row));
    return skills;
}

std::span<const QStringView> nonAutomatableSkills()
{
    return nonAutomatable;
}

bool isAutomatable(QStringView skillId)
{
    return std::ranges::find(nonAutomatable, skillId) == nonAutomatable.end();
}

QList<QuickSkill> allAutomatableSkills()
{
    QList<QuickSkill> skills;
    for (const SkillRow& row : catalogue) {
        const bool alreadyListed =
            std::ranges::any_of(skills, [&](const QuickSkill& s) { return s.id == row.id; });
        if (isAutomatable(row.id) && !alreadyListed)
            skills.append(toSkill(row));
    }
    return skills;
}

} // namespace SkillCatalogue
