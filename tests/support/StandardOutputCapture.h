#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryFile>

// Sends the process's standard output to a temporary file while the object lives, so a test can
// read the diagnostic lines the code printed.
class StandardOutputCapture
{
public:
    StandardOutputCapture();
    ~StandardOutputCapture();
    StandardOutputCapture(const StandardOutputCapture&) = delete;
    StandardOutputCapture& operator=(const StandardOutputCapture&) = delete;

    QString text() const;
    QStringList lines() const;
    // Waits (processing events) until a printed line starts with `prefix`; returns that line.
    QString waitForLineStartingWith(const QString& prefix, int timeoutMs = 5000) const;

private:
    QTemporaryFile m_file;
    int m_savedDescriptor = -1;
};
