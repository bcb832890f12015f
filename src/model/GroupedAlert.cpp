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

    // Keys keep their case while the name is lower-cased, so a key with capitals never matches. Each
    // name is judged once: an application usually has groups of several types.
    bool hides(const QString& app)
    {
        if (m_keys.isEmpty())
            return false;
        auto known = m_verdicts.constFind(app);
        if (known == m_verdicts.cend()) {
            const QString name = app.toLower();
            known = m_verdicts.insert(
                app, std::ranges::any_of(m_keys, [&](const QString& key) { return name.contains(key); }));
        }
        return *known;
    }

private:
    QStringList m_keys;
    QHash<QString, bool> m_verdicts;
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
    WhitelistMatcher whitelist(whitelistedKeys);
    // Groups of whitelisted applications are kept aside, so each name is matched against the whitelist
    // once, when its group first appears.
    QHash<std::pair<QString, QString>, qsizetype> indexByAppAndType;
    QList<GroupedAlert> groups;
    QList<bool> hidden;
    for (const SecurityAlert& alert : engineAlerts) {
        if (std::ranges::find(shown, QStringView(alert.type)) == shown.end())
            continue;
        auto found = indexByAppAndType.constFind({alert.app, alert.type});
        if (found == indexByAppAndType.cend()) {
            found = indexByAppAndType.insert({alert.app, alert.type}, groups.size());
            groups.append(
                {alert.app + QLatin1Char('|') + alert.type, alert.app, alert.type, 0, std::nullopt});
            hidden.append(whitelist.hides(alert.app));
        }
        if (hidden[*found])
            continue;
        GroupedAlert& group = groups[*found];
        ++group.count;
        const std::optional<QDateTime> time = Timestamp::parse(alert.timestamp);
        if (time && (!group.latestDate || *time > *group.latestDate))
            group.latestDate = time;
    }
    QList<GroupedAlert> visible;
    visible.reserve(groups.size());
    for (qsizetype i = 0; i < groups.size(); ++i) {
        if (!hidden[i])
            visible.append(std::move(groups[i]));
    }
    std::ranges::stable_sort(visible, newerFirst);
    return visible;
}

QList<GroupedAlert> groupedAlerts(const QList<SecurityAlert>& engineAlerts, int privacyLevel,
                                  QStringView privacyWhitelist)
{
    return groupedAlerts(engineAlerts, privacyLevel, whitelistedKeys(privacyWhitelist));
}
