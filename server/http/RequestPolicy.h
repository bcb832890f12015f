#pragma once

#include "http/HttpRequest.h"
#include "http/HttpResponse.h"

#include <optional>

// The rules every request passes before its body is read. The API may only be driven by programs of
// this user on this machine, never by a web page: a page can make the browser send requests to the
// loopback address, but not with a loopback Host after a DNS rebinding, not without an Origin or
// Sec-Fetch-* header, and not with a JSON body without a preflight the server never answers.
namespace RequestPolicy {

inline constexpr qint64 maxBodyBytes = 256 * 1024;

// The refusal to send, or nothing when the request may go on. `expectedBodyBytes` receives the body
// length to read.
std::optional<HttpResponse> check(const HttpRequest& head, quint16 serverPort, qint64& expectedBodyBytes);

bool isLoopbackHost(const QByteArray& host, quint16 serverPort);

} // namespace RequestPolicy
