#pragma once

#include "monitor/CaptureStream.h"

#include <QByteArray>
#include <QList>

#include <optional>

// The output of "pactl -f json list source-outputs": the recording streams of PulseAudio.
namespace PulseSourceOutputs {

// The streams that record now (not corked), monitor streams and level meters left out; absent when
// the text is not the JSON array pactl writes.
std::optional<QList<CaptureStream>> parse(const QByteArray& json);

} // namespace PulseSourceOutputs
