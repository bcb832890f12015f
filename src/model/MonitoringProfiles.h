#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <span>

// Monitoring profiles: fixed sets of skills automated together. A profile is known by its key, which
// is also the value of the automationProfile setting; the first one is spelled "essentiel".
struct ProfileFeature
{
    QString emoji;
    QString text;

    friend bool operator==(const ProfileFeature&, const ProfileFeature&) = default;
};

// What the profile cards and the profile detail sheet show.
struct ProfileInfo
{
    QString title;
    QString icon; // symbol name
    std::optional<QString> cardSummary;
    // The number on the card: how many skills the profile automates.
    std::optional<int> cardTaskCount;
    QList<ProfileFeature> features;
};

namespace MonitoringProfiles {

// "essentiel", "business", "paranoid": the order of the cards.
std::span<const QStringView> keys();

// Display information of any key: an unknown key shows itself as title, a shield and nothing else.
ProfileInfo info(QStringView key);

} // namespace MonitoringProfiles

// The skill ids a profile automates, in order; nothing for a key that is not a profile.
std::optional<QStringList> profileSkills(QStringView key);
