#pragma once

#include "platform/Platform.h"

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

// The hint under every token field, in the platform's wording, and the same without its leading emoji
// (drawn apart, in the colour emoji font).
QString pasteTip(Platform::Kind platform);
QString pasteTipWords(Platform::Kind platform);

// What a token test says when Telegram refused the token, and when Telegram could not be asked at all
// (no route, no name, a time-out): that says nothing about the token, which stays as typed.
inline constexpr char invalidToken[] = "Invalid token. Please check and try again.";
inline constexpr char unreachable[] =
    "Telegram could not be reached. Check your internet connection and try again.";

// Telegram's deep link to @BotFather, and a bot's public web link.
inline constexpr char botFatherLink[] = "tg://resolve?domain=BotFather";
QString botLink(const QString& username);

} // namespace TelegramTokenText
