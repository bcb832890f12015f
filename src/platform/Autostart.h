#pragma once

#include <QString>

// Starting at login on freedesktop desktops: an entry in the user's autostart directory
// (~/.config/autostart/halvex.desktop) that launches this executable.
namespace Autostart {

// False where the desktop has no autostart directory to write (macOS).
bool isSupported();
QString entryPath();
bool isEnabled();
// Writes or removes the entry; false when the file could not be written or removed.
bool setEnabled(bool enabled, const QString& executable = {});
// Onboarding has just finished for the first time: starting at login is on by default then.
// Onboarding finished before (or the entry exists) changes nothing, so a user's "off" stays off.
void enableAfterFirstOnboarding(bool wasOnboarded);

} // namespace Autostart
