#pragma once

#include "support/FakeProcTree.h"
#include "support/HalvexdProcess.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QTemporaryDir>

#include <memory>

// halvex as the desktop session tests run it: a home of its own (the test process's HOME while it
// lives) with halvexd on a free port, a fake /proc and /dev, no sound tools, started in a session's
// environment. It stops before the session it runs in, when the test stops it or drops it.
class HalvexInSession
{
public:
    HalvexInSession() = default;
    HalvexInSession(const HalvexInSession&) = delete;
    HalvexInSession& operator=(const HalvexInSession&) = delete;
    ~HalvexInSession() { stop(); }

    // False when halvexd or halvex did not start.
    bool start(QProcessEnvironment sessionEnvironment, bool onboarded);
    void stop();

    bool isRunning() const { return m_process.state() == QProcess::Running; }
    qint64 processId() const { return m_process.processId(); }
    // What halvex was started with, for a second launch in the same session.
    QProcessEnvironment environment() const { return m_process.processEnvironment(); }
    FakeProcTree& tree() { return m_tree; }

private:
    TemporaryHome m_home;
    FakeProcTree m_tree;
    QTemporaryDir m_missingTools;
    std::unique_ptr<HalvexdProcess> m_backend;
    QProcess m_process;
};
