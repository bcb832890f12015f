#include "model/RiskLevel.h"

#include <algorithm>
#include <span>

namespace {

bool containsAny(const QString& name, std::span<const QStringView> fragments)
{
    return std::ranges::any_of(fragments, [&](QStringView fragment) { return name.contains(fragment); });
}

bool holdsAny(const QStringList& kinds, std::initializer_list<QStringView> wanted)
{
    return std::ranges::any_of(wanted, [&](QStringView kind) { return kinds.contains(kind); });
}

} // namespace

RiskLevel computeRisk(QStringView app, const QStringList& types, bool isSystem)
{
    if (isSystem)
        return RiskLevel::normal;
    const QString name = app.toString().toLower();
    QStringList kinds;
    kinds.reserve(types.size());
    for (const QString& type : types)
        kinds.append(type.toLower());
    if (holdsAny(kinds, {u"camera", u"microphone"}))
        return containsAny(name, safeVideoApps) ? RiskLevel::normal : RiskLevel::danger;
    if (holdsAny(kinds, {u"location"}))
        return RiskLevel::unusual;
    if (holdsAny(kinds, {u"screen_recording", u"screen"}))
        return containsAny(name, safeScreenApps) ? RiskLevel::unusual : RiskLevel::danger;
    return RiskLevel::normal;
}
