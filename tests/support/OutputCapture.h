#pragma once

#include <QString>
#include <QTemporaryFile>

// Sends the process's standard output into a temporary file while the object lives, so a test can read
// the diagnostic lines the code printed. Keep the captured span short: the test framework's own
// messages in it are captured too.
class OutputCapture
{
public:
    OutputCapture();
    ~OutputCapture();

    // Everything printed so far, split into lines (without the final empty one).
    QStringList lines();

private:
    void restore();

    QTemporaryFile m_file;
    int m_savedDescriptor = -1;
};
