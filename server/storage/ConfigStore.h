#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>

// Named configuration values of the backend (the Telegram link).
namespace ConfigKey {
inline constexpr char telegramBotToken[] = "telegramBotToken";
inline constexpr char telegramBotUsername[] = "telegramBotUsername";
inline constexpr char telegramChatId[] = "telegramChatId";
} // namespace ConfigKey

class ConfigStore
{
public:
    explicit ConfigStore(QSqlDatabase db) : m_db(std::move(db)) {}

    std::optional<QString> value(const char* key) const;
    bool setValue(const char* key, const QString& value);
    bool remove(const char* key);

private:
    QSqlDatabase m_db;
};
