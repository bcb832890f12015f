#include "model/GroupedAlert.h"

#include "model/PrivacyWhitelist.h"
#include "model/Timestamp.h"

#include <QHash>

#include <algorithm>
#include <array>

namespace {

constexpr std::array<QStringView, 4> panelTypes{u"camera", u"microphone", u"location", u"network"};

class WhitelistMatcher
{
public:
    explicit WhitelistMatcher(const QSet<QString>& keys)
    {
        // An empty key would be found in every name; it matches nothing instead.
        for (const QString& key : keys) {
            if (!key.isEmpty())
                m_keys.append(key);
        }
    }

    // Keys keep their case while the name is lower-cased, so a key with capitals never matches.
    bool hides(const QString& app) const
    {
        if (m_keys.isEmpty())
            return false;
        const QString name = app.toLower();
        return std::ranges::any_of(m_keys, [&](const QString& key) { return name.contains(key); });
    }

private:
    QStringList m_keys;
};

bool newerFirst(const GroupedAlert& a, const GroupedAlert& b)
{
    return a.latestDate && (!b.latestDate || *a.latestDate > *b.latestDate);
}

} // namespace

std::span<const QStringView> typesShownAt(int privacyLevel)
{
    const size_t count = privacyLevel == 0 ? 2 : privacyLevel == 1 ? 3 : 4;
    return std::span(panelTypes).first(count);
}

QList<GroupedAlert> groupedAlerts(const QList<SecurityAlert>& engineAlerts, int privacyLevel,
                                  const QSet<QString>& whitelistedKeys)
{
    const std::span<const QStringView> shown = typesShownAt(privacyLevel);
    const WhitelistMatcher whitelist(whitelistedKeys);
    QHash<QString, qsizetype> indexById;
    QList<GroupedAlert> groups;
    for (const SecurityAlert& alert : engineAlerts) {
        if (std::ranges::find(shown, QStringView(alert.type)) == shown.end() || whitelist.hides(alert.app))
            continue;
        QString id = alert.app + QLatin1Char('|') + alert.type;
        auto found = indexById.constFind(id);
        if (found == indexById.cend()) {
            found = indexById.insert(id, groups.size());
            groups.append(GroupedAlert{std::move(id), alert.app, alert.type, 0, std::nullopt});
        }
        GroupedAlert& group = groups[*found];
        ++group.count;
        const std::optional<QDateTime> time = Timestamp::parse(alert.timestamp);
        if (time && (!group.latestDate || *time > *group.latestDate))
            group.latestDate = time;
    }
    std::ranges::stable_sort(groups, newerFirst);
    return groups;
}

QList<GroupedAlert> groupedAlerts(const QList<SecurityAlert>& engineAlerts, int privacyLevel,
                                  QStringView privacyWhitelist)
{
    return groupedAlerts(engineAlerts, privacyLevel, whitelistedKeys(privacyWhitelist));
}
