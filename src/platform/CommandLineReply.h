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

} // namespace CommandLineReply
