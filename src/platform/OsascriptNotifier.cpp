#include "platform/OsascriptNotifier.h"

#include "platform/ChildProcess.h"
#include "platform/ToolPaths.h"

QString OsascriptNotifier::escaped(QString text)
{
    // Backslashes first: a name ending in a backslash, or holding \", must not close the string early
    // and let the rest run as script. AppleScript strings cannot span lines.
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString OsascriptNotifier::script(const QString& title, const QString& body)
{
    return QStringLiteral("display notification \"") + escaped(body) + QStringLiteral("\" with title \"") +
           escaped(title) + QStringLiteral("\" sound name \"Basso\"");
}

void OsascriptNotifier::notify(const QString& title, const QString& body, const QString&)
{
    ChildProcess::launchAndForget(ToolPaths::path(Tool::Osascript),
                                  {QStringLiteral("-e"), script(title, body)});
}
