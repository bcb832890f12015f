#include "model/TextUtil.h"

#include <QTextBoundaryFinder>

namespace TextUtil {

QStringView trimSpacesAndTabs(QStringView text)
{
    qsizetype begin = 0, end = text.size();
    auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

QString leftCharacters(QStringView text, qsizetype count)
{
    // No text of at most `count` code units can hold more than `count` characters.
    if (text.size() <= count)
        return text.toString();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), text.size());
    qsizetype characters = 0;
    while (finder.toNextBoundary() >= 0) {
        if (++characters == count)
            return text.left(finder.position()).toString();
    }
    return text.toString();
}

} // namespace TextUtil
