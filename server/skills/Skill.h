#pragma once

#include "skills/HostPaths.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

// One external command a skill needs, run directly with its argument list.
struct ToolCall
{
    QString tool; // looked up by SystemTools::find
    QStringList arguments;
};

// What one command printed.
struct ToolOutput
{
    bool available = false; // installed and started
    bool timedOut = false;
    bool truncated = false;
    int exitCode = -1;
    QString out;
    QString err;

    bool succeeded() const { return available && !timedOut && exitCode == 0; }
};

// Everything a skill's answer is composed from.
struct SkillInput
{
    QHash<QString, ToolOutput> outputs; // by the key of the call
    HostPaths paths;
    QDateTime now;

    ToolOutput output(const QString& key) const { return outputs.value(key); }
};

using ToolCalls = QHash<QString, ToolCall>;

// A built-in skill: its commands run at once, each under the time limit and the output cap; then its
// answer is composed off the main thread, where it may also read /proc, /sys and files of the user.
// A skill whose commands depend on what the first ones found (the route to each DNS server) names
// them in `followUp`, also off the main thread; they run before the answer is composed.
struct Skill
{
    QString id;
    ToolCalls calls;
    std::function<QString(const SkillInput&)> answer;
    std::function<ToolCalls(const SkillInput&)> followUp;
};
