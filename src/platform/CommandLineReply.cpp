#include "platform/CommandLineReply.h"

#include <cstdio>

namespace CommandLineReply {
namespace {

void write(FILE* stream, const QString& text)
{
    QByteArray bytes = text.toUtf8();
    if (!bytes.endsWith('\n'))
        bytes += '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

int refuse(const QString& program, const QString& reason, const QString& usage)
{
    write(stderr, program + QStringLiteral(": ") + reason + QLatin1Char('\n') + usage);
    return usageStatus;
}

int show(const QString& text)
{
    write(stdout, text);
    return 0;
}

} // namespace CommandLineReply
