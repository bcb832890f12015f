#pragma once

#include "support/FakeProcTree.h"

#include <QString>
#include <QStringList>

// A fake /proc for the skills, pointed to by HALVEX_PROC_ROOT while the object lives: the processes of
// a FakeProcTree, with the stat, status and command line files ps-like readers need.
class FakeProc
{
public:
    FakeProc();
    ~FakeProc();

    QString path() const { return m_tree.procRoot(); }
    // `openFiles` become links fd/0, fd/1, ... to those targets ("/dev/input/event3", "socket:[42]").
    void addProcess(qint64 pid, const QString& name, const QString& executable, const QString& commandLine,
                    const QStringList& openFiles = {}, uint uid = 0);
    void addThread(qint64 pid, qint64 tid);
    // Any file below the root, for example "net/packet" or "bus/input/devices".
    void writeFile(const QString& relativePath, const QByteArray& content);

private:
    FakeProcTree m_tree;
    QByteArray m_previous;
};
