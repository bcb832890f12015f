#pragma once

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

private:
    QHash<QString, ActiveApps> m_activeByType;
};
