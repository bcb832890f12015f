#include "model/RiskLevel.h"

#include <algorithm>
#include <span>
#include <string_view>

namespace {

// A plain search: the fragments are a few letters long and the names short, where it beats
// QString::contains by a wide margin, and the alert feed classifies every application on every redraw.
bool containsAny(const QString& name, std::span<const QStringView> fragments)
{
    const std::u16string_view haystack(reinterpret_cast<const char16_t*>(name.utf16()), size_t(name.size()));
    return std::ranges::any_of(fragments, [&](QStringView fragment) {
        return haystack.find(std::u16string_view(fragment.utf16(), size_t(fragment.size()))) !=
               std::u16string_view::npos;
    });
}

bool holdsAny(const QStringList& kinds, std::initializer_list<QStringView> wanted)
{
    return std::ranges::any_of(wanted, [&](QStringView kind) { return kinds.contains(kind); });
}

} // namespace

RiskLevel computeRisk(const QString& app, const QStringList& types, bool isSystem)
{
    if (isSystem)
        return RiskLevel::normal;
    // Text already in lower case is shared rather than lower-cased again.
    const auto lowered = [](const QString& text) { return text.isLower() ? text : text.toLower(); };
    const QString name = lowered(app);
    QStringList kinds;
    kinds.reserve(types.size());
    for (const QString& type : types)
        kinds.append(lowered(type));
    if (holdsAny(kinds, {u"camera", u"microphone"}))
        return containsAny(name, safeVideoApps) ? RiskLevel::normal : RiskLevel::danger;
    if (holdsAny(kinds, {u"location"}))
        return RiskLevel::unusual;
    if (holdsAny(kinds, {u"screen_recording", u"screen"}))
        return containsAny(name, safeScreenApps) ? RiskLevel::unusual : RiskLevel::danger;
    return RiskLevel::normal;
}
