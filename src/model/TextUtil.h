#pragma once

#include <QString>
#include <QStringView>

namespace TextUtil {

// Strips leading and trailing spaces and tabs only (not line ends or other white space).
QStringView trimSpacesAndTabs(QStringView text);

// The first `count` user-perceived characters (grapheme clusters); the whole text when shorter.
QString leftCharacters(QStringView text, qsizetype count);

} // namespace TextUtil
