#pragma once

#include <QString>

// Rich text for Qt Quick in which every emoji run is set in the colour emoji font. Qt picks
// the first font holding a glyph, and the usual sans-serif faces carry monochrome outlines of many
// emoji, so without this they would draw in black and white.
namespace EmojiText {

inline constexpr char colourFamily[] = "Noto Color Emoji";

// Whether `codePoint` belongs to an emoji sequence (pictographs, symbols, flags, joiners, selectors).
bool isEmojiCodePoint(char32_t codePoint);
// `text` escaped for rich text, its emoji runs wrapped in a font element of the colour family.
QString markup(const QString& text);

} // namespace EmojiText
