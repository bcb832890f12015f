#pragma once

#include <QString>

// The backend's environment file, "<backendWorkDir>/.env": `KEY=value` lines the backend reads when it
// starts. The application rewrites one key in it, the Telegram bot token.
namespace BackendEnvironment {

inline constexpr char botTokenKey[] = "TELEGRAM_BOT_TOKEN=";

enum class TokenWrite {
    Written,
    WriteFailed,
    Unreadable,   // missing, unreadable or not UTF-8: nothing was written
    RefusedToken, // the token holds a line break, which would add lines to the file: nothing was written
};

QString filePath();

// `content` with every line that starts with "TELEGRAM_BOT_TOKEN=" replaced by the key and `token`;
// every other line is kept exactly, carriage return included. The key is never added.
QString withBotToken(const QString& content, const QString& token);

// Rewrites the token lines of the file at `path` atomically, keeping the file's permissions.
TokenWrite writeBotToken(const QString& path, const QString& token);

} // namespace BackendEnvironment
