#pragma once

#include <QString>

// Gives this process a mount namespace of its own in which the systemd journal's directory,
// /run/systemd/journal, is an empty tmpfs: a test can bind its own receiver where libsystemd sends,
// or leave it empty to play a machine without a journal. The programs the process starts afterwards
// share that namespace; nothing outside it changes, and it ends with the process. Needs root.
namespace PrivateJournalDirectory {

inline constexpr char path[] = "/run/systemd/journal";

// An empty text when done, else what failed.
QString enter();

} // namespace PrivateJournalDirectory
