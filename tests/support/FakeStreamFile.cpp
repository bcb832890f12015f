#include "support/FakeStreamFile.h"

#include <QFile>

FakeStreamFile::FakeStreamFile() : m_path(m_dir.path() + QStringLiteral("/stream"))
{
    QFile(m_path).open(QIODevice::WriteOnly);
}

QString FakeStreamFile::followCommand() const
{
    return QStringLiteral("exec tail -n +1 -s 0.05 -f '%1'\n").arg(m_path);
}

void FakeStreamFile::append(const QByteArray& data)
{
    QFile file(m_path);
    file.open(QIODevice::Append);
    file.write(data);
}
