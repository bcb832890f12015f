#pragma once

#include "model/SecurityAlert.h"

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringView>

#include <optional>
#include <span>

// One row of the status-bar panel's activity list: the accesses of one type by one application.
struct GroupedAlert
{
    QString id; // app + "|" + type, case kept
    QString app;
    QString type;
    int count = 0;
    std::optional<QDateTime> latestDate;

    friend bool operator==(const GroupedAlert&, const GroupedAlert&) = default;
};

// The access types the panel lists at a privacyLevel: 0 camera and microphone, 1 adds location, any
// other value adds the network too. Screen recording is never listed.
std::span<const QStringView> typesShownAt(int privacyLevel);

// Groups the engine's alerts by application and type (both compared exactly), keeping only the types
// of the privacy level and dropping applications whose lower-cased name contains a whitelist key.
// Newest group first; groups without a readable date last; equal dates keep first-appearance order.
QList<GroupedAlert> groupedAlerts(const QList<SecurityAlert>& engineAlerts, int privacyLevel,
                                  const QSet<QString>& whitelistedKeys);
QList<GroupedAlert> groupedAlerts(const QList<SecurityAlert>& engineAlerts, int privacyLevel,
                                  QStringView privacyWhitelist);
