#pragma once

#include <QString>
#include <QStringView>

namespace TextUtil {

// Strips leading and trailing spaces and tabs only (not line ends or other white space).
QStringView trimSpacesAndTabs(QStringView text);

// The first `count` user-perceived characters (grapheme clusters); the whole text when shorter.
QString leftCharacters(QStringView text, qsizetype count);

// A QString over text that lives as long as the program (a compiled-in table), without a copy.
inline QString staticText(QStringView text)
{
    return QString::fromRawData(text.data(), text.size());
}

} // namespace TextUtil
