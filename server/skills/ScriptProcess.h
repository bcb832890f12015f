#pragma once

#include "platform/ChildProcess.h"

#include <QObject>
#include <QString>

// Runs one script with /bin/bash so that nothing it started outlives its run. Each run is tagged
// with a variable of its own in the environment, which every process it starts inherits, a
// background child or one that left the process group with setsid alike; when the script ends, for
// whatever reason, every process of this user carrying the tag is ended before the answer goes out.
// Where a systemd user manager runs, the script also runs in a transient scope of its own with the
// time limit as RuntimeMaxSec; otherwise in a process group of its own. The script is ended as soon
// as its output reaches the cap, rather than left producing until the time limit.
namespace ScriptProcess {

struct Options
{
    int timeoutMs = 10'000;
    qint64 outputCap = 64 * 1024; // per stream
    QString workingDirectory;
};

// `done` runs on the calling thread once the script and everything it started are gone; it is
// dropped when `context` is gone first.
void run(const QString& scriptPath, const Options& options, QObject* context, ChildProcess::Callback done);

// The name of the environment variable that tags a run's processes.
inline constexpr const char* tagVariable = "HALVEX_SCRIPT_RUN";

// Ends every process of this user whose environment holds `tag` (blocking; /proc is read).
// Returns how many were signalled.
int endTagged(const QByteArray& tag);

} // namespace ScriptProcess
