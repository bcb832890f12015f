#pragma once

#include "monitor/AccessSource.h"
#include "monitor/ActiveApps.h"
#include "monitor/CaptureStream.h"

#include <QHash>
#include <QList>

// Turns the running capture streams of each moment into the accesses that start: one per application
// and access type when its first stream starts, none again until all its streams of that type ended.
class CaptureStreamTracker
{
public:
    // The streams that start an access, the first stream of each application and type.
    QList<CaptureStream> update(const QList<CaptureStream>& running);
    void clear() { m_activeByType.clear(); }

    // Applies the running streams for `source`: every process behind them is announced (processesSeen)
    // and every access that starts is reported (accessDetected).
    void report(AccessSource& source, const QList<CaptureStream>& running);

private:
    QHash<QString, ActiveApps> m_activeByType;
};
