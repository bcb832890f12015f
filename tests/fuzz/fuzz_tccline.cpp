#include "FuzzText.h"
#include "monitor/TccLineParser.h"

// One line of the consent daemon's log stream, as the log tool prints it. An identifier ending in a dot
// gives an empty last piece and so an empty name: that is the rule, not a fault.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString line = FuzzText::text(data, size);
    const std::optional<DetectedAccess> access = TccLineParser::parseTCCLine(line);
    const QString app = TccLineParser::extractAppName(line);
    if (access) {
        FuzzText::require(!access->type.isEmpty(), "an access has a type");
        (void)TccLineParser::typeAction(access->type);
    }
    (void)TccLineParser::capitalized(app);
    return 0;
}
