#pragma once

#include "skills/parsers/ProcessTable.h"

#include <QStringList>

// Deciding whether a process is the program it claims to be: its name is on a list, and its executable
// sits where packages install programs (or cannot be read, as for other users' processes).
namespace KnownPrograms {

QString nameOf(const ProcessTable::Process& process); // executable's file name, else the comm name
bool isInstalledLocation(const QString& executable);
bool isKnown(const ProcessTable::Process& process, const QStringList& names);
QString describe(const ProcessTable::Process& process); // "foo (pid 1234, /usr/bin/foo)"

} // namespace KnownPrograms
