#include "support/OutputCapture.h"

#include <QFile>

#include <cstdio>
#include <unistd.h>

OutputCapture::OutputCapture()
{
    m_file.open();
    std::fflush(stdout);
    m_savedDescriptor = ::dup(STDOUT_FILENO);
    ::dup2(m_file.handle(), STDOUT_FILENO);
}

OutputCapture::~OutputCapture()
{
    restore();
}

void OutputCapture::restore()
{
    if (m_savedDescriptor < 0)
        return;
    std::fflush(stdout);
    ::dup2(m_savedDescriptor, STDOUT_FILENO);
    ::close(m_savedDescriptor);
    m_savedDescriptor = -1;
}

QStringList OutputCapture::lines()
{
    std::fflush(stdout);
    QFile reader(m_file.fileName());
    reader.open(QIODevice::ReadOnly);
    QStringList lines = QString::fromUtf8(reader.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}
