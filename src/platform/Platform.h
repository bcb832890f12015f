#pragma once

#include <QString>

// Which operating system's sources and services run. HALVEX_PLATFORM=macos|linux forces one, so the
// macOS paths can run end to end on Linux against fake tools.
namespace Platform {

enum class Kind { MacOS, Linux };

Kind current();
bool isMacOS();
bool isLinux();

// True when the process runs from an application bundle with a bundle identifier (macOS only).
bool isBundled();

// The per-user data directory, "$HOME/.halvex".
QString dataDirectory();
// Makes the data directory private: created 0700 (an existing one of this user is tightened to 0700),
// and every regular file of this user in it 0600. It holds what the user's privacy is about. Returns
// the directory.
QString createPrivateDataDirectory();

// The operating system's pretty name, for example "Debian GNU/Linux 12 (bookworm)".
QString prettyOSName();

} // namespace Platform
