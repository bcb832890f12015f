#include "model/RunInterval.h"

#include <algorithm>
#include <array>
#include <span>

namespace {

struct IntervalGroup
{
    QStringView label;
    int minutes;
    std::span<const QStringView> skillIds;
};

constexpr std::array<QStringView, 4> halfHourly{u"camera-status", u"microphone-status",
                                                u"network-connections", u"location-status"};
constexpr std::array<QStringView, 5> hourly{u"clipboard-monitor", u"dns-leak-test", u"keylogger-detector",
                                            u"network-sniff-detector", u"rootkit-scanner"};
constexpr std::array<QStringView, 7> everyTwoHours{
    u"firewall-status", u"vpn-checker",        u"open-ports",       u"wifi-scanner",
    u"ssh-connections", u"screen-lock-status", u"wifi-intelligence"};
constexpr std::array<QStringView, 7> everyFourHours{u"disk-usage",     u"process-list",    u"memory-usage",
                                                    u"battery-status", u"cpu-temperature", u"gpu-info",
                                                    u"ssd-health"};
constexpr std::array<QStringView, 4> everySixHours{u"clean-ram", u"clean-disk", u"clean-cache", u"clean-all"};
constexpr std::array<QStringView, 9> everyTwelveHours{
    u"backup-status",         u"bluetooth-audit",     u"browser-extensions",
    u"gatekeeper-sip-status", u"launch-daemon-audit", u"login-history",
    u"permission-audit",      u"sharing-status",      u"update-checker"};

// Tried in this order; the first group listing the id wins.
constexpr std::array<IntervalGroup, 6> groups{{
    {u"Every 30 min", 30, halfHourly},
    {u"Every 1h", 60, hourly},
    {u"Every 2h", 120, everyTwoHours},
    {u"Every 4h", 240, everyFourHours},
    {u"Every 6h", 360, everySixHours},
    {u"Every 12h", 720, everyTwelveHours},
}};

constexpr IntervalGroup unlisted{u"Every 6h", 360, {}};

const IntervalGroup& groupOf(QStringView skillId)
{
    const auto found = std::ranges::find_if(groups, [&](const IntervalGroup& group) {
        return std::ranges::find(group.skillIds, skillId) != group.skillIds.end();
    });
    return found == groups.end() ? unlisted : *found;
}

} // namespace

RunInterval runInterval(QStringView skillId)
{
    const IntervalGroup& group = groupOf(skillId);
    return {group.label.toString(), group.minutes};
}

QString scheduleLabel(QStringView skillId)
{
    return groupOf(skillId).label.toString();
}

QString nextRunText(QStringView skillId, QTime localTime)
{
    const int interval = groupOf(skillId).minutes;
    const int now = localTime.hour() * 60 + localTime.minute();
    const int remaining = interval - now % interval;
    if (remaining < 60)
        return QStringLiteral("In %1 min").arg(remaining);
    const int hours = remaining / 60, minutes = remaining % 60;
    if (minutes > 0)
        return QStringLiteral("In %1h %2min").arg(hours).arg(minutes);
    return QStringLiteral("In %1h").arg(hours);
}

QString nextRunText(QStringView skillId)
{
    return nextRunText(skillId, QTime::currentTime());
}
