#include "app/EmojiText.h"

#include <QList>
#include <QStringView>

namespace EmojiText {

bool isEmojiCodePoint(char32_t c)
{
    return (c >= 0x1F000 && c <= 0x1FAFF)    // pictographs, emoticons, transport, flags' letters
           || (c >= 0x2600 && c <= 0x27BF)   // miscellaneous symbols and dingbats (⚠, ✅)
           || (c >= 0x2B00 && c <= 0x2BFF)   // arrows and stars (⭐)
           || (c >= 0xE0020 && c <= 0xE007F) // tag characters of subdivision flags
           || c == 0x200D || c == 0xFE0F || c == 0x20E3;
}

QString markup(const QString& text)
{
    QString out;
    bool inEmoji = false;
    const auto close = [&] {
        if (inEmoji)
            out += QStringLiteral("</font>");
        inEmoji = false;
    };
    for (const uint c : QStringView(text).toUcs4()) {
        const bool emoji = isEmojiCodePoint(c);
        if (emoji && !inEmoji) {
            out += QStringLiteral("<font face=\"%1\">").arg(QLatin1String(colourFamily));
            inEmoji = true;
        } else if (!emoji) {
            close();
        }
        const char32_t codePoint = c;
        const QString character = QString::fromUcs4(&codePoint, 1);
        out += emoji ? character : character.toHtmlEscaped();
    }
    close();
    return out;
}

} // namespace EmojiText
