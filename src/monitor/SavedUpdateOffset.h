#pragma once

#include <QDateTime>
#include <QString>

#include <chrono>

// The highest Telegram update already handled, kept across restarts so a press is not obeyed twice.
// It belongs to one bot and goes stale: Telegram keeps an update at most a day, and after a quiet
// week it may number the next updates lower, so an old offset would hide every new press.
namespace SavedUpdateOffset {

inline constexpr std::chrono::hours lifetime{24};

struct Position
{
    qint64 updateId = 0; // 0: start from the beginning
    QDateTime savedAt;
};

// The saved position when it belongs to the bot of `token` (the stored token's bot) and was saved less
// than a day before `now`; update id 0 otherwise.
Position load(const QString& token, const QDateTime& now);
// Saves `updateId` for the bot of `token`, unless the stored token is another bot's by now: an old
// bot's position must never become the new one's. False when nothing was written.
bool save(const QString& token, qint64 updateId, const QDateTime& now);
void forget();
// Whether `token` is still the stored bot token.
bool isStoredToken(const QString& token);

} // namespace SavedUpdateOffset
