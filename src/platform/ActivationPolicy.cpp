#include "platform/ActivationPolicy.h"

#include <QtGlobal>

#ifndef Q_OS_MACOS
namespace ActivationPolicy {

// A tray-only process has no task-bar entry on Linux desktops; its windows are ordinary ones.
void makeAccessory() {}

} // namespace ActivationPolicy
#endif
