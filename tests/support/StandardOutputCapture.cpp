#include "support/StandardOutputCapture.h"

#include <QFile>
#include <QTest>

#include <cstdio>
#include <unistd.h>

StandardOutputCapture::StandardOutputCapture()
{
    m_file.open();
    std::fflush(stdout);
    m_savedDescriptor = ::dup(STDOUT_FILENO);
    ::dup2(m_file.handle(), STDOUT_FILENO);
}

StandardOutputCapture::~StandardOutputCapture()
{
    std::fflush(stdout);
    ::dup2(m_savedDescriptor, STDOUT_FILENO);
    ::close(m_savedDescriptor);
}

QString StandardOutputCapture::text() const
{
    std::fflush(stdout);
    QFile file(m_file.fileName());
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

QStringList StandardOutputCapture::lines() const
{
    return text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString StandardOutputCapture::waitForLineStartingWith(const QString& prefix, int timeoutMs) const
{
    QString found;
    const bool seen = QTest::qWaitFor(
        [&] {
            for (const QString& line : lines()) {
                if (line.startsWith(prefix)) {
                    found = line;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return seen ? found : QString();
}
