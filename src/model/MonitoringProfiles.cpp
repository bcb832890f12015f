#include "model/MonitoringProfiles.h"

#include "model/TextUtil.h"

#include <algorithm>
#include <array>

namespace {

struct FeatureRow
{
    QStringView emoji;
    QStringView text;
};

// Each profile automates the skills of the one before it plus its own.
struct ProfileRow
{
    QStringView key;
    QStringView title;
    QStringView icon;
    QStringView cardSummary;
    std::span<const QStringView> addedSkills;
    std::span<const FeatureRow> features;
};

constexpr std::array<QStringView, 5> essentialSkills{
    u"camera-status", u"microphone-status", u"clean-ram", u"memory-usage", u"firewall-status",
};
constexpr std::array<QStringView, 7> businessSkills{
    u"location-status", u"network-connections", u"vpn-checker",      u"wifi-scanner",
    u"clean-disk",      u"update-checker",      u"permission-audit",
};
constexpr std::array<QStringView, 24> paranoidSkills{
    u"clipboard-monitor",
    u"dns-leak-test",
    u"keylogger-detector",
    u"network-sniff-detector",
    u"rootkit-scanner",
    u"ssh-connections",
    u"open-ports",
    u"screen-lock-status",
    u"wifi-intelligence",
    u"clean-cache",
    u"clean-all",
    u"backup-status",
    u"bluetooth-audit",
    u"browser-extensions",
    u"gatekeeper-sip-status",
    u"launch-daemon-audit",
    u"login-history",
    u"sharing-status",
    u"disk-usage",
    u"process-list",
    u"battery-status",
    u"cpu-temperature",
    u"gpu-info",
    u"ssd-health",
};

constexpr std::array<FeatureRow, 5> essentialFeatures{{
    {u"📹", u"Camera — checks every 30 min"},
    {u"🎤", u"Mic — checks every 30 min"},
    {u"🔥", u"Firewall — checks every 2h"},
    {u"🧠", u"Memory — checks every 4h"},
    {u"🧹", u"Clean RAM — every 6h"},
}};
constexpr std::array<FeatureRow, 6> businessFeatures{{
    {u"🛡️", u"Everything in Essential, plus:"},
    {u"📍", u"Location — checks every 30 min"},
    {u"🌐", u"Network — active connections every 30 min"},
    {u"🔐", u"VPN & WiFi — checks every 2h"},
    {u"💾", u"Clean disk — every 6h"},
    {u"✅", u"Permissions & updates — every 12h"},
}};
constexpr std::array<FeatureRow, 6> paranoidFeatures{{
    {u"💼", u"Everything in Business, plus:"},
    {u"⌨️", u"Anti-keylogger & rootkit — every hour"},
    {u"👁️", u"Network sniffer & DNS leak — every hour"},
    {u"🔑", u"SSH, open ports, screen — every 2h"},
    {u"🔍", u"Full audit — Bluetooth, daemons, browser, sharing — every 12h"},
    {u"💿", u"System health — disk, battery, CPU, GPU, SSD — every 4h"},
}};

constexpr std::array<ProfileRow, 3> profiles{{
    {u"essentiel", u"Essential", u"shield.fill", u"Camera, mic, RAM", essentialSkills, essentialFeatures},
    {u"business", u"Business", u"briefcase.fill", u"+ Network, VPN, WiFi", businessSkills, businessFeatures},
    {u"paranoid", u"Paranoid", u"lock.shield.fill", u"+ Threats, full audit", paranoidSkills,
     paranoidFeatures},
}};

constexpr std::array<QStringView, 3> profileKeys{profiles[0].key, profiles[1].key, profiles[2].key};

const ProfileRow* findProfile(QStringView key)
{
    const auto found = std::ranges::find(profiles, key, &ProfileRow::key);
    return found == profiles.end() ? nullptr : &*found;
}

} // namespace

namespace MonitoringProfiles {

std::span<const QStringView> keys()
{
    return profileKeys;
}

ProfileInfo info(QStringView key)
{
    const ProfileRow* profile = findProfile(key);
    if (!profile)
        return {key.toString(), QStringLiteral("shield.fill"), std::nullopt, std::nullopt, {}};
    // The card counts what the profile really automates.
    ProfileInfo info{TextUtil::staticText(profile->title),
                     TextUtil::staticText(profile->icon),
                     TextUtil::staticText(profile->cardSummary),
                     int(profileSkills(key)->size()),
                     {}};
    for (const FeatureRow& feature : profile->features)
        info.features.append({TextUtil::staticText(feature.emoji), TextUtil::staticText(feature.text)});
    return info;
}

} // namespace MonitoringProfiles

std::optional<QStringList> profileSkills(QStringView key)
{
    const ProfileRow* profile = findProfile(key);
    if (!profile)
        return std::nullopt;
    QStringList skills;
    for (const ProfileRow* layer = profiles.data(); layer <= profile; ++layer) {
        for (QStringView skill : layer->addedSkills)
            skills.append(TextUtil::staticText(skill));
    }
    return skills;
}
