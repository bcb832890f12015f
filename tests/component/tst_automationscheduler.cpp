#include "app/Settings.h"
#include "automation/AutomationScheduler.h"
#include "backend/HalvexClient.h"
#include "fakes/FakeBotApi.h"
#include "service/BackendService.h"
#include "support/Awaited.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <memory>

namespace {

template <typename T, typename Call> T await(Call call)
{
    Awaited<T> result;
    call(result.context(), result.callback());
    if (!result.wait(20000))
        qFatal("no result from the backend");
    return result.value();
}

} // namespace

// The scheduler inside a whole backend, with a clock of the test's own: automations run at their
// aligned times and their results go to the linked Telegram chat.
class AutomationSchedulerTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<FakeBotApi> m_botApi;
    std::unique_ptr<BackendService> m_service;
    std::unique_ptr<HalvexClient> m_client;
    std::shared_ptr<std::atomic<qint64>> m_offsetMs = std::make_shared<std::atomic<qint64>>(0);

    // From now on the backend's clock reads `fakeNow`, and runs on from there.
    void setClock(const QDateTime& fakeNow) { *m_offsetMs = QDateTime::currentDateTime().msecsTo(fakeNow); }
    QDateTime backendNow() const { return QDateTime::currentDateTime().addMSecs(*m_offsetMs); }

    void linkTelegram()
    {
        QVERIFY(await<bool>(
            [&](auto c, auto d) { m_client->saveTelegramToken(QStringLiteral("123:abc"), c, d); }));
        m_botApi->addUpdates(QJsonArray{FakeBotApi::messageUpdate(1, 4242)});
        const auto linked = await<std::optional<TelegramAuthResult>>(
            [&](auto c, auto d) { m_client->authorizeTelegram(c, d); });
        QVERIFY(linked && linked->success);
    }

    QStringList automationTexts() const
    {
        QStringList texts;
        for (const FakeBotApi::Request& request : m_botApi->requests(QStringLiteral("sendMessage"))) {
            const QString text = request.json().value(QStringLiteral("text")).toString();
            if (text.startsWith(QStringLiteral("⏰")))
                texts.append(text);
        }
        return texts;
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        m_botApi = std::make_unique<FakeBotApi>();
        qputenv("HALVEX_TELEGRAM_API", m_botApi->origin().toUtf8());
        BackendService::Options options;
        options.port = 0;
        options.databasePath = m_home->dataDirectory() + QStringLiteral("/backend.db");
        auto offset = m_offsetMs;
        options.clock = [offset] { return QDateTime::currentDateTime().addMSecs(*offset); };
        m_service = std::make_unique<BackendService>(options);
        QString error;
        QVERIFY2(m_service->start(&error), qPrintable(error));
        Settings().setValue(SettingsKey::serverURL,
                            QStringLiteral("http://127.0.0.1:%1").arg(m_service->port()));
        m_client = std::make_unique<HalvexClient>();
    }

    void cleanup()
    {
        m_client.reset();
        m_service.reset();
        m_botApi.reset();
        qunsetenv("HALVEX_TELEGRAM_API");
        m_home.reset();
    }

    void runsAtAlignedTimeAndPostsTheResult()
    {
        linkTelegram();
        const QDate today = QDate::currentDate();
        setClock(QDateTime(today, QTime(10, 29, 59, 600)));
        QVERIFY(await<bool>(
            [&](auto c, auto d) { m_client->enableAutomation(QStringLiteral("camera-status"), c, d); }));
        QVERIFY(await<bool>(
            [&](auto c, auto d) { m_client->enableAutomation(QStringLiteral("firewall-status"), c, d); }));
        QCOMPARE(m_service->scheduler().nextRunOf(QStringLiteral("camera-status")),
                 QDateTime(today, QTime(10, 30)));
        QCOMPARE(m_service->scheduler().nextRunOf(QStringLiteral("firewall-status")),
                 QDateTime(today, QTime(12, 0)));

        QTRY_COMPARE_WITH_TIMEOUT(automationTexts().size(), 1, 15000);
        const QString text = automationTexts().first();
        QVERIFY2(text.startsWith(QStringLiteral("⏰ Camera (Every 30 min)\n\n📹 Camera")), qPrintable(text));
        const FakeBotApi::Request sent = m_botApi->requests(QStringLiteral("sendMessage")).last();
        QCOMPARE(sent.json().value(QStringLiteral("chat_id")).toString(), QStringLiteral("4242"));
        QCOMPARE(FakeBotApi::tokenOf(sent), QStringLiteral("123:abc"));
        // The next run of the 30-minute skill is the next multiple; the 2-hour one still waits for noon.
        QCOMPARE(m_service->scheduler().nextRunOf(QStringLiteral("camera-status")),
                 QDateTime(today, QTime(11, 0)));
        QCOMPARE(m_service->scheduler().nextRun(), QDateTime(today, QTime(11, 0)));
        const auto automations =
            await<QList<Automation>>([&](auto c, auto d) { m_client->fetchAutomations(c, d); });
        QCOMPARE(automations.size(), 2);
    }

    void disabledAutomationsDoNotRun()
    {
        linkTelegram();
        const QDate today = QDate::currentDate();
        setClock(QDateTime(today, QTime(13, 59, 59, 700)));
        QVERIFY(await<bool>(
            [&](auto c, auto d) { m_client->enableAutomation(QStringLiteral("microphone-status"), c, d); }));
        QVERIFY(await<bool>(
            [&](auto c, auto d) { m_client->disableAutomation(QStringLiteral("microphone-status"), c, d); }));
        QVERIFY(!m_service->scheduler().nextRun().isValid());
        QTest::qWait(800);
        QVERIFY(automationTexts().isEmpty());
    }

    void withoutLinkedChatNothingIsSent()
    {
        const QDate today = QDate::currentDate();
        setClock(QDateTime(today, QTime(7, 59, 59, 700)));
        QVERIFY(await<bool>(
            [&](auto c, auto d) { m_client->enableAutomation(QStringLiteral("memory-usage"), c, d); }));
        QSignalSpy finished(&m_service->scheduler(), &AutomationScheduler::automationFinished);
        QVERIFY(finished.wait(15000));
        QCOMPARE(finished.first().at(0).toString(), QStringLiteral("memory-usage"));
        QVERIFY(finished.first().at(1).toString().contains(QLatin1String("Memory:")));
        QVERIFY(m_botApi->requests(QStringLiteral("sendMessage")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(AutomationSchedulerTest)
#include "tst_automationscheduler.moc"
