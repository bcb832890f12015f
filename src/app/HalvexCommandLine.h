#pragma once

#include <QString>
#include <QStringList>

// What `halvex` is asked to do, read from its arguments (without the program's name). Anything it does
// not know is refused with the reason, rather than starting the tray application anyway.
namespace HalvexCommandLine {

enum class Command { Monitor, CheckBackend, TelegramSetup, Help, Version, Refuse };

struct Invocation
{
    Command command = Command::Monitor;
    bool headless = false;
    // Open the dashboard, or ask the Halvex already running to show it.
    bool dashboard = false;
    // --no-journal: this run copies no alert to the systemd journal.
    bool journal = true;
    // telegram-setup reads its own arguments.
    QStringList setupArguments;
    // Why the command line was refused.
    QString refusal;

    friend bool operator==(const Invocation&, const Invocation&) = default;
};

Invocation parse(const QStringList& arguments);

// Linux has no display without an X or Wayland server (or a Qt platform chosen by hand), and then
// monitoring runs headless; a Mac always has one.
bool displayAvailable();
bool runsHeadless(const Invocation& invocation, bool hasDisplay);

QString usage();
QString help();
QString versionText();

} // namespace HalvexCommandLine
