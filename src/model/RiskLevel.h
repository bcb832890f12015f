#pragma once

#include <QStringList>
#include <QStringView>

#include <array>

// How worrying an application's accesses are. Views map it to colours and labels.
enum class RiskLevel { normal, unusual, danger };

// Name fragments (lower case) of known video-call and capture applications: camera and microphone
// use by them is expected.
inline constexpr std::array<QStringView, 15> safeVideoApps{
    u"zoom",     u"facetime", u"teams",  u"skype", u"discord",   u"webex",      u"meet", u"slack",
    u"telegram", u"whatsapp", u"signal", u"obs",   u"quicktime", u"photobooth", u"loom",
};

// Name fragments (lower case) of known screen-capture tools, tested in this order.
inline constexpr std::array<QStringView, 6> safeScreenApps{
    u"zoom", u"loom", u"cleanshot", u"screen studio", u"obs", u"quicktime",
};

// The first rule that applies wins: system components are normal; camera or microphone use is normal
// only for a known video application; location use is unusual; screen capture is unusual for a known
// capture tool and dangerous otherwise; anything else is normal. Types are compared in lower case.
RiskLevel computeRisk(const QString& app, const QStringList& types, bool isSystem);
