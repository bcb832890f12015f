#include "skills/SystemTools.h"

#include <QStandardPaths>
#include <QStringList>

namespace SystemTools {

QString environmentName(const QString& tool)
{
    return QStringLiteral("HALVEX_TOOL_") + tool.toUpper().replace(QLatin1Char('-'), QLatin1Char('_'));
}

QString find(const QString& tool)
{
    const QString override = qEnvironmentVariable(environmentName(tool).toLatin1().constData());
    if (!override.isEmpty())
        return override;
    QString found = QStandardPaths::findExecutable(tool);
    if (found.isEmpty()) {
        // Administration tools live in sbin, which a user's PATH often lacks.
        found = QStandardPaths::findExecutable(tool, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"),
                                                      QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
    }
    return found;
}

} // namespace SystemTools
