#include "ui/ProfileCards.h"

#include "model/L10n.h"
#include "model/MonitoringProfiles.h"

QVariantList ProfileCards::cards()
{
    QVariantList cards;
    for (QStringView key : MonitoringProfiles::keys()) {
        const ProfileInfo info = MonitoringProfiles::info(key);
        cards << QVariantMap{
            {QStringLiteral("id"), key.toString()},
            {QStringLiteral("name"), info.title},
            {QStringLiteral("icon"), info.icon},
            {QStringLiteral("taskCountText"), L10n::profileTaskCount(info.cardTaskCount.value_or(0))},
            {QStringLiteral("detail"), info.cardSummary.value_or(QString())}};
    }
    return cards;
}

QVariantMap ProfileCards::demo(const QString& profileId)
{
    const ProfileInfo info = MonitoringProfiles::info(profileId);
    QVariantList lines;
    for (const ProfileFeature& feature : info.features)
        lines << QVariantMap{{QStringLiteral("emoji"), feature.emoji},
                             {QStringLiteral("text"), feature.text}};
    return {{QStringLiteral("icon"), info.icon},
            {QStringLiteral("title"), info.title},
            {QStringLiteral("lines"), lines}};
}
