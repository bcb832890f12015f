#pragma once

#include <QStringList>

// The unit names of `systemctl list-unit-files --no-legend` ("ssh.service enabled enabled").
namespace UnitFiles {

QStringList enabledUnits(const QString& output);

} // namespace UnitFiles
