#pragma once

#include <QString>

// One granted or refused privacy permission, as the permission audit reports it. Not persisted.
struct AppPermission
{
    QString service;
    QString bundleID;
    QString appName;
    bool allowed = false;

    QString id() const { return service + QLatin1Char('-') + bundleID; }

    friend bool operator==(const AppPermission&, const AppPermission&) = default;
};
