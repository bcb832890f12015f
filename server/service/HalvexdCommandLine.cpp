#include "service/HalvexdCommandLine.h"

#include "platform/ArgumentList.h"
#include "platform/CommandLineReply.h"

namespace HalvexdCommandLine {
namespace {

Invocation refused(const QString& reason)
{
    return CommandLineReply::refused<Invocation>(reason);
}

Invocation only(Command command)
{
    return CommandLineReply::only<Invocation>(command);
}

QString quoted(const QString& text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

std::optional<quint16> portOf(const QString& text)
{
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || port == 0 || port > 65535)
        return std::nullopt;
    return quint16(port);
}

std::optional<double> timeoutOf(const QString& text)
{
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    // NaN fails both comparisons, so it is refused with the rest.
    if (!ok || !(seconds > 0 && seconds <= maxRequestTimeoutSeconds))
        return std::nullopt;
    return seconds;
}

// Reads the value of one option into the invocation; the refusal when it is missing or wrong.
std::optional<QString> readValue(const QString& option, const QString& value, Invocation& invocation)
{
    if (option == u"--port") {
        const std::optional<quint16> port = portOf(value);
        if (!port)
            return QStringLiteral("invalid port ") + quoted(value);
        invocation.port = *port;
    } else if (option == u"--request-timeout") {
        const std::optional<double> seconds = timeoutOf(value);
        if (!seconds)
            return QStringLiteral("invalid request timeout ") + quoted(value);
        invocation.requestTimeoutSeconds = *seconds;
    } else {
        if (value.isEmpty())
            return QStringLiteral("option '--workdir' needs a directory");
        invocation.workDir = value;
    }
    return std::nullopt;
}

bool takesValue(const QString& option)
{
    return option == u"--port" || option == u"--request-timeout" || option == u"--workdir";
}

} // namespace

Invocation parse(const QStringList& arguments)
{
    Invocation invocation;
    ArgumentList list(arguments);
    while (!list.atEnd()) {
        const QString argument = list.next();
        if (argument == u"--help" || argument == u"-h")
            return only(Command::Help);
        if (argument == u"--version" || argument == u"-v")
            return only(Command::Version);
        if (!takesValue(argument)) {
            if (argument.startsWith(QLatin1Char('-')))
                return refused(QStringLiteral("unknown option ") + quoted(argument));
            return refused(QStringLiteral("unexpected argument ") + quoted(argument));
        }
        const std::optional<QString> value = list.takeValue();
        if (!value)
            return refused(QStringLiteral("option %1 needs a value").arg(quoted(argument)));
        if (const std::optional<QString> refusal = readValue(argument, *value, invocation))
            return refused(*refusal);
    }
    return invocation;
}

QString usage()
{
    return QStringLiteral("Usage: halvexd [--port PORT] [--workdir DIR] [--request-timeout SECONDS]\n"
                          "       halvexd --help | --version\n");
}

QString help()
{
    return usage() +
           QStringLiteral(
               "\n"
               "The Halvex backend service: skills, automations, events and Telegram, over HTTP on "
               "127.0.0.1.\n"
               "\n"
               "  --port PORT                  port on 127.0.0.1 (default 3456)\n"
               "  --workdir DIR                directory of the .env file whose TELEGRAM_BOT_TOKEN seeds "
               "the\n"
               "                               bot token (default: the application's backend directory)\n"
               "  --request-timeout SECONDS    time a client has to send a whole request before its\n"
               "                               connection is closed (default 10, at most 3600)\n"
               "  -h, --help                   show this help\n"
               "  -v, --version                show the version\n"
               "\n"
               "See halvexd(1).\n");
}

QString versionText()
{
    return QStringLiteral("halvexd " HALVEX_VERSION);
}

} // namespace HalvexdCommandLine
