#pragma once

#include <QList>
#include <QString>

// The packages `apt list --upgradable` reports, from apt's last downloaded package lists.
namespace AptUpgrades {

struct Upgrade
{
    QString package;
    QString suite;
    QString version;
    QString installedVersion;

    bool isSecurity() const { return suite.contains(QLatin1String("security")); }
};

QList<Upgrade> parse(const QString& output);

} // namespace AptUpgrades
