#include "FuzzText.h"
#include "monitor/TelegramBotApi.h"
#include "monitor/TelegramTexts.h"
#include "monitor/TelegramUpdate.h"

#include <QJsonArray>
#include <QJsonObject>

// A getUpdates answer of the Bot API, update by update, as the callback poller and the set-up read it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::optional<QJsonArray> updates = TelegramBotApi::resultList(FuzzText::bytes(data, size));
    if (!updates)
        return 0;
    (void)TelegramBotApi::latestChatId(*updates);
    for (const QJsonValue& value : *updates) {
        const QJsonObject update = value.toObject();
        (void)TelegramUpdate::updateId(update);
        (void)TelegramUpdate::messageChatId(update);
        if (const auto press = TelegramUpdate::buttonPress(update)) {
            if (press->data.startsWith(QLatin1String(TelegramTexts::blockPrefix))) {
                const QString name = press->data.mid(qsizetype(std::size(TelegramTexts::blockPrefix) - 1));
                (void)TelegramTexts::forceQuitAnswer(name);
                (void)TelegramTexts::forceQuitConfirmation(name);
            }
        }
    }
    return 0;
}
