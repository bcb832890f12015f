#pragma once

#include "fakes/PrivateDBus.h"

#include <QHash>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

// Real sound servers for one test, private to it: its own XDG_RUNTIME_DIR (where the sockets live),
// session bus and state directories, a null sink and a null source. PipeWire runs with WirePlumber
// and optionally pipewire-pulse; PulseAudio runs from a configuration of its own. The environment of
// the test process points at the session while the object lives, so the watcher and every client
// started from the test meet these servers only.
class SoundSession
{
public:
    SoundSession();
    ~SoundSession();

    // The programs a test needs that are not installed, empty when all are.
    static QStringList missingPrograms(const QStringList& programs);

    QString runtimeDirectory() const { return m_dir.path() + QStringLiteral("/run"); }

    // Each waits until the server answers; false, with a warning naming the server and ending with
    // what it wrote, when it did not within several seconds.
    bool startPipeWire(bool withPulse);
    bool startPulseAudio();
    // A video source node like a webcam's (Video/Source, media.role Camera, device.api v4l2).
    bool addCamera(const QString& nodeName = QStringLiteral("halvex-test-camera"));
    void stopServer(const QString& program);

    // A client started in the session; the session ends it at the latest when it ends.
    QProcess* startClient(const QString& program, const QStringList& arguments);
    void stopClient(QProcess* client);

    // Runs a tool in the C locale and returns its standard output.
    QByteArray run(const QString& program, const QStringList& arguments) const;

private:
    QProcess* launch(const QString& program, const QStringList& arguments, const QString& logFile);
    bool startServerUntil(const QString& program, const QStringList& arguments,
                          const std::function<bool()>& answers);
    bool pactlAnswers(bool pipeWire) const;
    QString logFile(const QString& program) const;

    QTemporaryDir m_dir;
    std::unique_ptr<PrivateDBus> m_bus;
    QHash<QString, QByteArray> m_savedEnvironment;
    QHash<QString, QProcess*> m_servers;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};
