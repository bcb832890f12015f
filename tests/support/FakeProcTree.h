#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A fake /proc and /dev for the Linux device watcher: regular files stand in for video nodes (inotify
// reports their opens too) and each fake process is a directory with a "comm" file, an "exe" link and
// real symbolic links under "fd".
class FakeProcTree
{
public:
    FakeProcTree();

    QString procRoot() const { return m_dir.path() + QStringLiteral("/proc"); }
    QString devRoot() const { return m_dir.path() + QStringLiteral("/dev"); }

    // Creates (or keeps) a node in the fake /dev and returns its path.
    QString addNode(const QString& name);
    void removeNode(const QString& name);
    // A program file for "exe" links, under the tree's own bin directory.
    QString program(const QString& name);

    // A process owned by the current user; its descriptors 0.. link to `fdTargets` in order.
    void addProcess(qint64 pid, const QString& comm, const QString& executable, const QStringList& fdTargets);
    void removeProcess(qint64 pid);
    QString processDirectory(qint64 pid) const;

private:
    QTemporaryDir m_dir;
};
