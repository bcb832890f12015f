#include "support/FakeProc.h"

#include <QDir>
#include <QFile>

FakeProc::FakeProc() : m_previous(qgetenv("HALVEX_PROC_ROOT"))
{
    qputenv("HALVEX_PROC_ROOT", QFile::encodeName(m_dir.path()));
    writeFile(QStringLiteral("uptime"), "1000.00 900.00\n");
}

FakeProc::~FakeProc()
{
    if (m_previous.isEmpty())
        qunsetenv("HALVEX_PROC_ROOT");
    else
        qputenv("HALVEX_PROC_ROOT", m_previous);
}

void FakeProc::writeFile(const QString& relativePath, const QByteArray& content)
{
    const QString path = m_dir.filePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

void FakeProc::addProcess(qint64 pid, const QString& name, const QString& executable,
                          const QString& commandLine, const QStringList& openFiles, uint uid)
{
    const QString base = QString::number(pid);
    writeFile(base + QStringLiteral("/stat"),
              QStringLiteral("%1 (%2) S 1 %1 %1 0 -1 4194560 100 0 0 0 250 50 0 0 20 0 1 0 5000 100000 2560 "
                             "18446744073709551615 1 1 0 0 0 0 0 0 0 0 0 0 17 0 0 0 0 0 0\n")
                  .arg(pid)
                  .arg(name)
                  .toUtf8());
    writeFile(base + QStringLiteral("/status"),
              QStringLiteral("Name:\t%1\nUid:\t%2\t%2\t%2\t%2\n").arg(name).arg(uid).toUtf8());
    writeFile(base + QStringLiteral("/cmdline"), commandLine.toUtf8().replace(' ', '\0'));
    QDir().mkpath(m_dir.filePath(base + QStringLiteral("/task/") + base));
    QDir().mkpath(m_dir.filePath(base + QStringLiteral("/fd")));
    if (!executable.isEmpty())
        QFile::link(executable, m_dir.filePath(base + QStringLiteral("/exe")));
    int fd = 3;
    for (const QString& target : openFiles)
        QFile::link(target, m_dir.filePath(base + QStringLiteral("/fd/") + QString::number(fd++)));
}

void FakeProc::addThread(qint64 pid, qint64 tid)
{
    QDir().mkpath(m_dir.filePath(QStringLiteral("%1/task/%2").arg(pid).arg(tid)));
}
