#include "support/CapturedStandardOutput.h"

#include <QFile>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

CapturedStandardOutput::CapturedStandardOutput()
{
    std::fflush(stdout);
    m_savedFd = ::dup(STDOUT_FILENO);
    const int file = ::open(QFile::encodeName(m_dir.path() + QStringLiteral("/stdout")).constData(),
                            O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(file, STDOUT_FILENO);
    ::close(file);
}

CapturedStandardOutput::~CapturedStandardOutput()
{
    std::fflush(stdout);
    ::dup2(m_savedFd, STDOUT_FILENO);
    ::close(m_savedFd);
}

QString CapturedStandardOutput::text() const
{
    std::fflush(stdout);
    QFile file(m_dir.path() + QStringLiteral("/stdout"));
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}
