#pragma once

#include <QDateTime>
#include <QString>

#include <chrono>

// The application names Halvex has put in force-quit buttons. Callback data is not authenticated: a
// press for any other name (a forged "block:a" would make pkill kill every process whose name holds an
// "a") must kill nothing. Kept in the settings, so a button sent before a restart still works, for as
// long as Telegram keeps a press, and bounded.
namespace OfferedButtons {

inline constexpr std::chrono::hours lifetime{24};
inline constexpr qsizetype maxNames = 200;

// `name` as it stands in the button's callback data after "block:". Empty names are never kept.
void remember(const QString& name, const QDateTime& now);
// Whether a button for `name` went out less than a day before `now`.
bool wasOffered(const QString& name, const QDateTime& now);

} // namespace OfferedButtons
