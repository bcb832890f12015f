#include "support/FakeProcTree.h"

#include <QDir>
#include <QFile>

FakeProcTree::FakeProcTree()
{
    QDir root(m_dir.path());
    root.mkpath(QStringLiteral("proc"));
    root.mkpath(QStringLiteral("dev"));
    root.mkpath(QStringLiteral("bin"));
}

QString FakeProcTree::addNode(const QString& name)
{
    const QString path = devRoot() + QLatin1Char('/') + name;
    QFile node(path);
    node.open(QIODevice::Append);
    return path;
}

void FakeProcTree::removeNode(const QString& name)
{
    QFile::remove(devRoot() + QLatin1Char('/') + name);
}

QString FakeProcTree::program(const QString& name)
{
    const QString path = m_dir.path() + QStringLiteral("/bin/") + name;
    QFile file(path);
    file.open(QIODevice::Append);
    return path;
}

QString FakeProcTree::processDirectory(qint64 pid) const
{
    return procRoot() + QLatin1Char('/') + QString::number(pid);
}

void FakeProcTree::addProcess(qint64 pid, const QString& comm, const QString& executable,
                              const QStringList& fdTargets)
{
    const QString directory = processDirectory(pid);
    QDir().mkpath(directory + QStringLiteral("/fd"));
    QFile commFile(directory + QStringLiteral("/comm"));
    commFile.open(QIODevice::WriteOnly);
    commFile.write(comm.toUtf8() + '\n');
    if (!executable.isEmpty())
        QFile::link(executable, directory + QStringLiteral("/exe"));
    for (qsizetype fd = 0; fd < fdTargets.size(); ++fd)
        QFile::link(fdTargets[fd], directory + QStringLiteral("/fd/") + QString::number(fd));
}

void FakeProcTree::removeProcess(qint64 pid)
{
    QDir(processDirectory(pid)).removeRecursively();
}
