#include "FuzzText.h"
#include "monitor/PulseSourceOutputs.h"
#include "skills/parsers/AudioCapture.h"

// "pactl -f json list source-outputs", "list sources" and "info", as the desktop's stream watcher and
// the backend's skill read them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray json = FuzzText::bytes(data, size);
    const std::optional<QSet<qint64>> monitors = PulseSourceOutputs::monitorSources(json);
    (void)PulseSourceOutputs::parse(json, monitors.value_or(QSet<qint64>{0, 1}));
    (void)PulseSourceOutputs::servedByPipeWire(json);
    (void)AudioCapture::parsePactlSourceOutputs(QString::fromUtf8(json));
    return 0;
}
