#pragma once

#include <QString>

// Rules shared by every screen where a bot token is typed or pasted.
namespace TelegramTokenText {

// Spaces and tabs off both ends; line breaks stay (the field is one line, a paste is cleaned apart).
QString trimmed(const QString& token);
// A pasted text: spaces, tabs and line breaks off both ends.
QString pasted(const QString& clipboard);

// The shape of a bot token, for hints and placeholders.
inline constexpr char placeholder[] = "Bot token (e.g., 123456789:ABCdef…)";
inline constexpr char shapeHint[] = "The token looks like: 123456789:ABCdef…";

// Telegram's deep link to @BotFather, and a bot's public web link.
inline constexpr char botFatherLink[] = "tg://resolve?domain=BotFather";
QString botLink(const QString& username);

} // namespace TelegramTokenText
