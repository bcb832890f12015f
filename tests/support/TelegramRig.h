#pragma once

#include "fakes/FakeBotApi.h"
#include "monitor/MonitorEngine.h"
#include "support/TestEnvironment.h"

#include <chrono>
#include <memory>

// A monitor engine wired to a fake Bot API and a fake pkill, with a bot token and a chat id in the
// settings and short Telegram intervals, so forwarding and force-quit buttons run end to end in a test.
// Needs a TemporaryHome around it.
class TelegramRig
{
public:
    static inline const QString token = QStringLiteral("123456:ABC-def_ghi");
    static inline const QString chatId = QStringLiteral("424242");
    static constexpr qint64 chatNumber = 424242;

    explicit TelegramRig(std::chrono::milliseconds digestWindow = std::chrono::milliseconds(200));
    ~TelegramRig();

    FakeBotApi& api() { return *m_api; }
    FakeTool& pkill() { return m_pkill; }
    MonitorEngine& engine() { return *m_engine; }
    // A new engine in place of the old one, as after a restart of the application.
    void restartEngine();

    // What Halvex wrote to the chat: the "sendMessage" requests.
    QList<FakeBotApi::Request> sentMessages() const { return m_api->requests(QStringLiteral("sendMessage")); }
    QStringList sentTexts() const;
    // As if force-quit buttons for these names had gone out just now.
    static void offerButtons(const QStringList& names);

private:
    void createEngine();

    std::chrono::milliseconds m_digestWindow;
    std::unique_ptr<FakeBotApi> m_api;
    FakeTool m_pkill;
    std::unique_ptr<MonitorEngine> m_engine;
};
