#pragma once

#include "monitor/AccessSource.h"
#include "monitor/ActiveApps.h"
#include "monitor/CaptureStream.h"

#include <QHash>
#include <QList>

#include <algorithm>

// Turns the running capture streams of each moment into the accesses that start: one per application
// and access type when its first stream starts, none again until all its streams of that type ended.
class CaptureStreamTracker
{
public:
    // The streams that start an access, the first stream of each application and type.
    QList<CaptureStream> update(const QList<CaptureStream>& running);
    void clear() { m_activeByType.clear(); }
    // While held, applications are only added: a server's first answers after a restart can list a
    // stream before its state is known, which must not read as the stream having stopped.
    void setHoldingReleases(bool hold) { m_holdingReleases = hold; }
    bool isHoldingReleases() const { return m_holdingReleases; }
    bool isEmpty() const
    {
        return std::all_of(m_activeByType.cbegin(), m_activeByType.cend(),
                           [](const ActiveApps& apps) { return apps.isEmpty(); });
    }

    // Applies the running streams for `source`: every process behind them is announced (processesSeen)
    // and every access that starts is reported (accessDetected).
    void report(AccessSource& source, const QList<CaptureStream>& running);

private:
    QHash<QString, ActiveApps> m_activeByType;
    bool m_holdingReleases = false;
};
