#pragma once

#include <QString>
#include <QStringView>

// The threat scan's verdict on a skill's reply, decided locally from the text: a plain substring test
// on the lower-cased reply, so a keyword also counts inside a longer word, and any reply holding a
// negation word ("none", "aucun") anywhere is clean whatever else it says.
namespace ThreatVerdict {

// True when the reply holds a threat keyword and no negation word.
bool detectThreat(QStringView reply);

// How much of a reply a scan row shows: its first 120 user-perceived characters.
inline constexpr qsizetype resultLength = 120;
QString resultPreview(QStringView reply);

} // namespace ThreatVerdict
