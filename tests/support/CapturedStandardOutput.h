#pragma once

#include <QString>
#include <QTemporaryDir>

// Standard output redirected into a buffer while the object lives, for the product's diagnostic lines.
class CapturedStandardOutput
{
public:
    CapturedStandardOutput();
    ~CapturedStandardOutput();
    // Everything written so far.
    QString text() const;

private:
    QTemporaryDir m_dir;
    int m_savedFd = -1;
};
