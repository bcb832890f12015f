#pragma once

#include "http/HttpRequest.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Reads the head of an HTTP/1.x request: the request line and the header fields, up to and including
// the empty line. Strict where leniency would let two readers disagree about one message (folded lines,
// repeated framing or routing fields).
namespace RequestHeadParser {

inline constexpr qsizetype maxHeadBytes = 16 * 1024;

struct Result
{
    std::optional<HttpRequest> request; // the request without its body
    int errorStatus = 0;                // 400, 501 or 505 when the head is refused
    QString error;
};

Result parse(const QByteArray& head);

} // namespace RequestHeadParser
