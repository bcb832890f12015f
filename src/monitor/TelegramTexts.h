#pragma once

#include <QString>

// The wording of everything Halvex writes to the user's Telegram chat.
namespace TelegramTexts {

inline constexpr char blockPrefix[] = "block:";
// Telegram refuses a button whose callback data is longer than this many bytes.
inline constexpr qsizetype maxCallbackDataBytes = 64;

QString typeEmoji(const QString& type);

// "📷 Xos just turned on your camera"
QString firstAlertText(const QString& type, const QString& displayApp);
// "📷 Your camera was used twice in the last 5 minutes"; meaningful for a count of 2 or more.
QString digestText(const QString& type, qint64 count);

QString welcomeText();
QString forceQuitAnswer(const QString& name);
QString forceQuitConfirmation(const QString& name);
// The answer to a press for a name no button offered.
QString unknownAppAnswer();

// "block:" followed by the raw application name, cut to Telegram's limit on a character boundary.
// pkill matches substrings, so a cut name still finds the process.
QString blockCallbackData(const QString& rawApp);
// The name a press of that button carries: the callback data without "block:".
QString buttonName(const QString& rawApp);

} // namespace TelegramTexts
