#pragma once

#include <QString>

// Absolute paths of the external tools the product runs. Each default can be replaced through the
// environment variable HALVEX_TOOL_<NAME>, which is how tests put fake tools in their place.
enum class Tool { Log, Pgrep, Ps, Pkill, Osascript, Sqlite3, Launchctl, Systemctl, PwDump, Pactl };

namespace ToolPaths {

QString path(Tool tool);
QString defaultPath(Tool tool);
QString environmentName(Tool tool);

} // namespace ToolPaths
