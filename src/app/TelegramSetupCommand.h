#pragma once

#include <QStringList>

class QCoreApplication;

// `halvex telegram-setup [--token-file PATH]`: connects the Telegram bot without a display. The token
// comes from standard input or a file, never from the command line, where every user sees it in `ps`.
// It is checked with getMe, stored (settings and the backend's .env), then the command waits for the
// user's /start, stores the chat and sends the welcome message. Exit 0 once connected; 1 for a bad
// token, a bad command line or no chat after the last attempt.
namespace TelegramSetupCommand {

inline constexpr char name[] = "telegram-setup";

// `arguments` are those after the command's name.
int run(QCoreApplication& application, const QStringList& arguments);

} // namespace TelegramSetupCommand
