#include "platform/Diagnostics.h"

#include <atomic>
#include <cstdio>

namespace Diagnostics {
namespace {
std::atomic<Stream> currentStream{Stream::StandardOutput};
}

void setStream(Stream stream)
{
    currentStream = stream;
}

void print(const QString& line)
{
    FILE* out = currentStream == Stream::StandardError ? stderr : stdout;
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
    std::fflush(out);
}

} // namespace Diagnostics
