#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A /proc tree in a temporary directory, pointed to by HALVEX_PROC_ROOT while the object lives:
// processes with their stat, status, command line, executable link and open files.
class FakeProc
{
public:
    FakeProc();
    ~FakeProc();

    QString path() const { return m_dir.path(); }
    // `openFiles` become links fd/3, fd/4, ... to those targets ("/dev/input/event3", "socket:[42]").
    void addProcess(qint64 pid, const QString& name, const QString& executable, const QString& commandLine,
                    const QStringList& openFiles = {}, uint uid = 0);
    void addThread(qint64 pid, qint64 tid);
    // Any file below the root, for example "net/packet" or "bus/input/devices".
    void writeFile(const QString& relativePath, const QByteArray& content);

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
};
