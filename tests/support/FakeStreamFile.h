#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A file that a fake long-running tool follows with "tail -f": what the test appends, the tool prints
// at once. Fake pw-dump and "pactl subscribe" are built on it.
class FakeStreamFile
{
public:
    FakeStreamFile();

    QString path() const { return m_path; }
    QString directory() const { return m_dir.path(); }
    // The script line that makes a fake tool print the stream as it grows.
    QString followCommand() const;
    void append(const QByteArray& data);

private:
    QTemporaryDir m_dir;
    QString m_path;
};
