#include "platform/ForceQuit.h"

#include "platform/ChildProcess.h"
#include "platform/ToolPaths.h"

#include <QRegularExpression>

void ForceQuit::killApp(const QString& name) const
{
    // The name is matched literally: "." or "a|b" must not terminate unrelated processes, and an escaped
    // leading "-" cannot be read as an option. An empty pattern would match every process.
    if (name.isEmpty())
        return;
    ChildProcess::launchAndForget(ToolPaths::path(Tool::Pkill), pkillArguments(name));
}

QStringList ForceQuit::pkillArguments(const QString& name)
{
    return {QStringLiteral("-i"), QRegularExpression::escape(name)};
}
