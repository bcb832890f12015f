#include "FuzzText.h"
#include "http/RequestHeadParser.h"
#include "http/RequestPolicy.h"

// A request head as a client sends it, through the parser and the rules checked before any body is read.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const RequestHeadParser::Result result = RequestHeadParser::parse(FuzzText::bytes(data, size));
    FuzzText::require(result.request.has_value() != (result.errorStatus != 0),
                      "accepted or refused, not both");
    if (!result.request) {
        FuzzText::require(result.errorStatus == 400 || result.errorStatus == 501 || result.errorStatus == 505,
                          "a refusal is 400, 501 or 505");
        return 0;
    }
    qint64 bodyBytes = -1;
    const std::optional<HttpResponse> refusal = RequestPolicy::check(*result.request, 3456, bodyBytes);
    if (!refusal)
        FuzzText::require(bodyBytes >= 0 && bodyBytes <= RequestPolicy::maxBodyBytes, "a body within bounds");
    (void)result.request->keepAlive();
    return 0;
}
