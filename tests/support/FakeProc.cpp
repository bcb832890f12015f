#include "support/FakeProc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

FakeProc::FakeProc() : m_previous(qgetenv("HALVEX_PROC_ROOT"))
{
    qputenv("HALVEX_PROC_ROOT", QFile::encodeName(path()));
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
    const QString file = path() + QLatin1Char('/') + relativePath;
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile out(file);
    if (out.open(QIODevice::WriteOnly))
        out.write(content);
}

void FakeProc::addProcess(qint64 pid, const QString& name, const QString& executable,
                          const QString& commandLine, const QStringList& openFiles, uint uid)
{
    m_tree.addProcess(pid, name, executable, openFiles);
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
    addThread(pid, pid);
}

void FakeProc::addThread(qint64 pid, qint64 tid)
{
    QDir().mkpath(path() + QStringLiteral("/%1/task/%2").arg(pid).arg(tid));
}
