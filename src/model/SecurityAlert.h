#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// One observed access: an application used the camera, the microphone, location services, screen
// capture or the network.
struct SecurityAlert
{
    QString type;
    QString app;
    QString path;
    QString timestamp;
    std::optional<QString> details;

    QString id() const { return type + QLatin1Char('-') + app + QLatin1Char('-') + timestamp; }

    QJsonObject toJson() const;
    // Fails when a required key is missing or not a string; a null or missing "details" is absent.
    static std::optional<SecurityAlert> fromJson(const QJsonValue& value);

    friend bool operator==(const SecurityAlert&, const SecurityAlert&) = default;
};

namespace SecurityAlerts {

QJsonArray toJson(const QList<SecurityAlert>& alerts);
// A list decodes whole or not at all: one bad element fails the list.
std::optional<QList<SecurityAlert>> fromJson(const QJsonValue& value);

} // namespace SecurityAlerts
