#include "app/HalvexCommandLine.h"

#include "app/TelegramSetupCommand.h"
#include "platform/ArgumentList.h"
#include "platform/CommandLineReply.h"

#include <QtGlobal>

#include <algorithm>
#include <array>

namespace HalvexCommandLine {
namespace {

// The options Qt's application object reads itself (the tray application is one); a session manager
// restarts the program with -session.
constexpr std::array<QStringView, 13> qtOptionsWithValue{
    u"-platform",    u"-platformpluginpath", u"-platformtheme",
    u"-plugin",      u"-qmljsdebugger",      u"-qwindowgeometry",
    u"-qwindowicon", u"-qwindowtitle",       u"-session",
    u"-display",     u"-geometry",           u"-style",
    u"-stylesheet",
};
constexpr std::array<QStringView, 2> qtFlags{u"-reverse", u"-widgetcount"};

bool isOneOf(const QString& argument, const auto& names)
{
    return std::ranges::find(names, QStringView(argument)) != names.end();
}

Invocation refused(const QString& reason)
{
    return CommandLineReply::refused<Invocation>(reason);
}

Invocation only(Command command)
{
    return CommandLineReply::only<Invocation>(command);
}

bool isHelp(const QString& argument)
{
    return argument == u"--help" || argument == u"-h";
}

Invocation parseSetup(const QStringList& arguments)
{
    if (arguments.size() == 1 && isHelp(arguments.first()))
        return only(Command::Help);
    Invocation invocation = only(Command::TelegramSetup);
    invocation.setupArguments = arguments;
    return invocation;
}

QString quoted(const QString& argument)
{
    return QLatin1Char('\'') + argument + QLatin1Char('\'');
}

// An argument that is neither one of ours nor one of Qt's.
Invocation unknown(const QString& argument)
{
    if (argument.startsWith(QLatin1Char('-')))
        return refused(QStringLiteral("unknown option ") + quoted(argument));
    if (argument == QLatin1String(TelegramSetupCommand::name))
        return refused(QStringLiteral("%1 must be the first argument").arg(quoted(argument)));
    return refused(QStringLiteral("unknown command ") + quoted(argument));
}

// Sets the flag an argument names; false when it names none of ours.
bool readFlag(const QString& argument, Invocation& invocation, bool& checkBackend)
{
    if (argument == u"--headless")
        invocation.headless = true;
    else if (argument == u"--dashboard")
        invocation.dashboard = true;
    else if (argument == u"--no-journal")
        invocation.journal = false;
    else if (argument == u"--check-backend")
        checkBackend = true;
    else
        return false;
    return true;
}

} // namespace

Invocation parse(const QStringList& arguments)
{
    if (!arguments.isEmpty() && arguments.first() == QLatin1String(TelegramSetupCommand::name))
        return parseSetup(arguments.mid(1));

    Invocation invocation;
    bool checkBackend = false;
    bool qtOptions = false;
    ArgumentList list(arguments);
    while (!list.atEnd()) {
        const QString argument = list.next();
        if (isHelp(argument))
            return only(Command::Help);
        if (argument == u"--version" || argument == u"-v")
            return only(Command::Version);
        if (isOneOf(argument, qtOptionsWithValue)) {
            if (!list.takeValue())
                return refused(QStringLiteral("option %1 needs a value").arg(quoted(argument)));
            qtOptions = true;
            continue;
        }
        if (isOneOf(argument, qtFlags))
            qtOptions = true;
        else if (!readFlag(argument, invocation, checkBackend))
            return unknown(argument);
        if (list.hasJoinedValue())
            return refused(QStringLiteral("option %1 takes no value").arg(quoted(argument)));
    }
    if (!checkBackend)
        return invocation;
    // The check prints and leaves: an option of another mode beside it would be silently ignored.
    if (invocation != Invocation() || qtOptions)
        return refused(QStringLiteral("'--check-backend' takes no other option"));
    return only(Command::CheckBackend);
}

bool displayAvailable()
{
#ifdef Q_OS_MACOS
    return true;
#else
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#endif
}

bool runsHeadless(const Invocation& invocation, bool hasDisplay)
{
    return invocation.headless || !hasDisplay;
}

QString usage()
{
    return QStringLiteral("Usage: halvex [--headless] [--dashboard] [--no-journal]\n"
                          "       halvex --check-backend\n"
                          "       halvex telegram-setup [--token-file PATH]\n"
                          "       halvex --help | --version\n");
}

QString help()
{
    return usage() +
           QStringLiteral(
               "\n"
               "Halvex shows which applications use the camera, the microphone and location services.\n"
               "\n"
               "Without a command it runs the tray application (headless when there is no display).\n"
               "  --headless          monitor without a display; each alert is a JSON line on standard "
               "output\n"
               "  --dashboard         open the dashboard (or have the running Halvex open it)\n"
               "  --no-journal        copy no alert to the systemd journal in this run\n"
               "  --check-backend     print what the local backend answers; status 1 when it does not\n"
               "  telegram-setup      connect a Telegram bot from a terminal; the token comes from standard\n"
               "                      input or from PATH, never from the command line\n"
               "  -h, --help          show this help\n"
               "  -v, --version       show the version\n"
               "\n"
               "Qt's own options (-platform, -style, -session and the like) go to Qt. See halvex(1).\n");
}

QString versionText()
{
    return QStringLiteral("halvex " HALVEX_VERSION);
}

} // namespace HalvexCommandLine
