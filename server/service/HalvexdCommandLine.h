#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What `halvexd` is asked to do, read from its arguments (without the program's name), with every
// value checked before the service starts.
namespace HalvexdCommandLine {

enum class Command { Serve, Help, Version, Refuse };

inline constexpr quint16 defaultPort = 3456;
inline constexpr double defaultRequestTimeoutSeconds = 10;
// A deadline longer than an hour would let a client hold a connection open all day.
inline constexpr double maxRequestTimeoutSeconds = 3600;

struct Invocation
{
    Command command = Command::Serve;
    quint16 port = defaultPort;
    // None: the directory the application's backendWorkDir setting names.
    std::optional<QString> workDir;
    double requestTimeoutSeconds = defaultRequestTimeoutSeconds;
    QString refusal;

    friend bool operator==(const Invocation&, const Invocation&) = default;
};

Invocation parse(const QStringList& arguments);

QString usage();
QString help();
QString versionText();

} // namespace HalvexdCommandLine
