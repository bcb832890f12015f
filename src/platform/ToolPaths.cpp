#include "platform/ToolPaths.h"

#include <QtGlobal>

namespace ToolPaths {

QString defaultPath(Tool tool)
{
    switch (tool) {
    case Tool::Log:
        return QStringLiteral("/usr/bin/log");
    case Tool::Pgrep:
        return QStringLiteral("/usr/bin/pgrep");
    case Tool::Ps:
        return QStringLiteral("/bin/ps");
    case Tool::Pkill:
        return QStringLiteral("/usr/bin/pkill");
    case Tool::Osascript:
        return QStringLiteral("/usr/bin/osascript");
    case Tool::Sqlite3:
        return QStringLiteral("/usr/bin/sqlite3");
    case Tool::Launchctl:
        return QStringLiteral("/bin/launchctl");
    case Tool::Systemctl:
        return QStringLiteral("/usr/bin/systemctl");
    case Tool::PwDump:
        return QStringLiteral("/usr/bin/pw-dump");
    case Tool::Pactl:
        return QStringLiteral("/usr/bin/pactl");
    }
    Q_UNREACHABLE();
}

QString environmentName(Tool tool)
{
    switch (tool) {
    case Tool::Log:
        return QStringLiteral("HALVEX_TOOL_LOG");
    case Tool::Pgrep:
        return QStringLiteral("HALVEX_TOOL_PGREP");
    case Tool::Ps:
        return QStringLiteral("HALVEX_TOOL_PS");
    case Tool::Pkill:
        return QStringLiteral("HALVEX_TOOL_PKILL");
    case Tool::Osascript:
        return QStringLiteral("HALVEX_TOOL_OSASCRIPT");
    case Tool::Sqlite3:
        return QStringLiteral("HALVEX_TOOL_SQLITE3");
    case Tool::Launchctl:
        return QStringLiteral("HALVEX_TOOL_LAUNCHCTL");
    case Tool::Systemctl:
        return QStringLiteral("HALVEX_TOOL_SYSTEMCTL");
    case Tool::PwDump:
        return QStringLiteral("HALVEX_TOOL_PW_DUMP");
    case Tool::Pactl:
        return QStringLiteral("HALVEX_TOOL_PACTL");
    }
    Q_UNREACHABLE();
}

QString path(Tool tool)
{
    const QString override = qEnvironmentVariable(environmentName(tool).toLatin1().constData());
    return override.isEmpty() ? defaultPath(tool) : override;
}

} // namespace ToolPaths
