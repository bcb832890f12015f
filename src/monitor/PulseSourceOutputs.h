#pragma once

#include "monitor/CaptureStream.h"

#include <QByteArray>
#include <QList>
#include <QSet>

#include <optional>

// The JSON that "pactl -f json" writes: the recording streams of a PulseAudio-protocol server, its
// sources and who the server is.
namespace PulseSourceOutputs {

// The streams that record now (not corked), monitor streams, level meters and recordings of a monitor
// source (`monitorSources`, by index) left out; absent when the text is not the JSON array pactl
// writes.
std::optional<QList<CaptureStream>> parse(const QByteArray& json, const QSet<qint64>& monitorSources = {});

// The indexes of the sources that monitor a sink ("speaker.monitor"), from "list sources".
std::optional<QSet<qint64>> monitorSources(const QByteArray& json);

// From "info": whether PipeWire carries the server ("PulseAudio (on PipeWire 0.3.65)"); absent when
// the text is no server description.
std::optional<bool> servedByPipeWire(const QByteArray& json);

} // namespace PulseSourceOutputs
