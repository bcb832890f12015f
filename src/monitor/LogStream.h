#pragma once

#include "monitor/AccessSource.h"

#include <QByteArray>
#include <QPointer>
#include <QProcess>
#include <QStringList>

// The unified-log stream of tccd: "log stream" as a child process whose output is split into lines
// and parsed into accesses.
class LogStream : public AccessSource
{
    Q_OBJECT
public:
    explicit LogStream(QObject* parent = nullptr);
    ~LogStream() override;

    void start() override;
    void stop() override;
    bool isRunning() const;

    // A chunk is decoded on its own (a chunk that is not UTF-8 is dropped) and split at every line
    // feed, empty pieces included; a line cut by a chunk boundary arrives as two pieces.
    static QStringList splitChunk(const QByteArray& chunk);

private:
    void readAvailable();

    QPointer<QProcess> m_process;
};
