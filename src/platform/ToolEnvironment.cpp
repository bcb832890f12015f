#include "platform/ToolEnvironment.h"

namespace ToolEnvironment {

QProcessEnvironment forParsing()
{
    return forParsing(QProcessEnvironment::systemEnvironment());
}

QProcessEnvironment forParsing(QProcessEnvironment base)
{
    base.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    base.remove(QStringLiteral("LANGUAGE"));
    return base;
}

} // namespace ToolEnvironment
