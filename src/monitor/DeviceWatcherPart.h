#pragma once

#include "monitor/AccessSource.h"

// One part of the Linux device watcher (camera nodes, PipeWire, PulseAudio, GeoClue). A part that
// cannot work says why once per start; the watcher reports it and the other parts go on.
class DeviceWatcherPart : public AccessSource
{
    Q_OBJECT
public:
    using AccessSource::AccessSource;

Q_SIGNALS:
    void unavailable(const QString& reason);
};
