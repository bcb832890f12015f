#include "FuzzText.h"
#include "monitor/PulseSourceOutputs.h"
#include "skills/parsers/AudioCapture.h"

// "pactl -f json list source-outputs", as the desktop's stream watcher and the backend's skill read it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray json = FuzzText::bytes(data, size);
    (void)PulseSourceOutputs::parse(json);
    (void)AudioCapture::parsePactlSourceOutputs(QString::fromUtf8(json));
    return 0;
}
