#pragma once

#include <QString>

// How both programs answer a command line they do not run: the reason in one line, then the usage,
// on standard error, with the exit status scripts know as "wrong usage". Help and version go to
// standard output, so they can be piped.
namespace CommandLineReply {

inline constexpr int usageStatus = 2;

// Writes "<program>: <reason>" and the usage to standard error; returns usageStatus.
int refuse(const QString& program, const QString& reason, const QString& usage);
// Writes the text to standard output; returns 0.
int show(const QString& text);

// What a parser returns for a command with nothing else to say, and for refused arguments, whichever
// program's Invocation it is (a record with `command` and `refusal`).
template <typename Invocation> Invocation only(decltype(Invocation::command) command)
{
    Invocation invocation;
    invocation.command = command;
    return invocation;
}
template <typename Invocation> Invocation refused(const QString& reason)
{
    Invocation invocation = only<Invocation>(decltype(Invocation::command)::Refuse);
    invocation.refusal = reason;
    return invocation;
}

} // namespace CommandLineReply
