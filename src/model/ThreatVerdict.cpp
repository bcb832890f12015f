#include "model/ThreatVerdict.h"

#include "model/TextUtil.h"

#include <algorithm>
#include <array>
#include <span>

namespace {

constexpr std::array<QStringView, 10> threatKeywords{
    u"found", u"detected",     u"suspicious", u"keylogger", u"rootkit",
    u"leak",  u"intercepting", u"trouvé",     u"détecté",   u"suspect",
};
constexpr std::array<QStringView, 2> negationWords{u"none", u"aucun"};

bool containsAny(const QString& text, std::span<const QStringView> words)
{
    return std::ranges::any_of(words, [&](QStringView word) { return text.contains(word); });
}

} // namespace

namespace ThreatVerdict {

bool detectThreat(QStringView reply)
{
    const QString lowered = reply.toString().toLower();
    return containsAny(lowered, threatKeywords) && !containsAny(lowered, negationWords);
}

QString resultPreview(QStringView reply)
{
    return TextUtil::leftCharacters(reply, resultLength);
}

} // namespace ThreatVerdict
