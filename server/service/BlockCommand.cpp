#include "service/BlockCommand.h"

#include <QRegularExpression>

bool BlockCommand::isBlockLine(const QString& command)
{
    const QString trimmed = command.trimmed();
    return trimmed == QLatin1String("block") || trimmed.startsWith(QLatin1String("block "));
}

QStringList BlockCommand::forceQuitArguments(const QString& app)
{
    return {QStringLiteral("-i"), QRegularExpression::escape(app)};
}

std::optional<BlockCommand> BlockCommand::parse(const QString& command)
{
    static const QRegularExpression pattern(QStringLiteral("^block\\s+(\\S+)\\s+(.+)$"));
    const QRegularExpressionMatch match = pattern.match(command.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const QString app = match.captured(2).trimmed();
    if (app.isEmpty())
        return std::nullopt;
    return BlockCommand{match.captured(1).toLower(), app};
}
