#include "app/AutoCleanSchedule.h"
#include "app/MenuBarRules.h"
#include "platform/Settings.h"
#include "support/TestEnvironment.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr qint64 hourMs = 3600 * 1000;
constexpr qint64 megabyte = 1'000'000;

// The machine and the backend as the schedule sees them: a settable clock and memory use, a disk
// that gains what each clean-up frees, and a backend that answers every command on the event loop.
struct FakeMachine
{
    QDateTime now = QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
    double memoryUse = 85;
    qint64 freeDisk = 1000 * megabyte;
    qint64 availableRam = 500 * megabyte;
    bool backendDown = false;
    QStringList commands;

    std::unique_ptr<AutoCleanSchedule> schedule()
    {
        return std::make_unique<AutoCleanSchedule>(
            [this](const QString& command, QObject* context, AutoCleanSchedule::Reply reply) {
                commands << command;
                QTimer::singleShot(0, context, [this, command, reply] {
                    if (backendDown) {
                        reply(QStringLiteral("Error: Could not connect to the server."));
                        return;
                    }
                    if (command == "clean-ram")
                        availableRam += 300 * megabyte;
                    else
                        freeDisk += 200 * megabyte;
                    reply(QStringLiteral("ok"));
                });
            },
            AutoCleanSchedule::Sources{[this] { return freeDisk; }, [this] { return availableRam; },
                                       [this] { return std::optional(memoryUse); }},
            [this] { return now; });
    }
};

void enable(double intervalHours = 24)
{
    Settings settings;
    settings.setAutoCleanIntervalHours(intervalHours);
    settings.setAutoCleanEnabled(true);
}

void setLastRun(const QDateTime& when)
{
    Settings().setValue(AutoCleanSchedule::lastRunKey, when.toString(Qt::ISODateWithMs));
}

// The armed timer fires about `expectedMs` from now: the test itself takes a moment, and a very coarse
// timer rounds its wait to whole seconds.
bool armedAround(const AutoCleanSchedule& schedule, qint64 expectedMs)
{
    const std::optional<qint64> armed = schedule.armedInMs();
    if (!armed || *armed > expectedMs + 1000 || *armed <= expectedMs - 10'000) {
        qWarning("armed in %lld ms, expected about %lld", armed.value_or(-1), expectedMs);
        return false;
    }
    return true;
}

} // namespace

// The automatic clean-up on its schedule, with an injected clock and a fake backend.
class AutoCleanScheduleTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_home = std::make_unique<TemporaryHome>(); }
    void cleanup() { m_home.reset(); }

    void disabledNeverRuns()
    {
        FakeMachine machine;
        setLastRun(machine.now.addDays(-5));
        auto schedule = machine.schedule();
        QVERIFY(!schedule->nextDue());
        QVERIFY(!schedule->armedInMs());
        schedule->reschedule();
        QTest::qWait(30);
        QVERIFY(machine.commands.isEmpty());
    }

    void dueRunSendsTheChosenCleanupsAndRecordsIt()
    {
        FakeMachine machine;
        enable();
        setLastRun(machine.now.addSecs(-25 * 3600));
        auto schedule = machine.schedule();
        QSignalSpy ran(schedule.get(), &AutoCleanSchedule::ran);
        QTRY_COMPARE(ran.size(), 1);
        // Defaults: old app files and memory, not temporary files; memory is above 80 %.
        QCOMPARE(machine.commands, (QStringList{"clean-cache", "clean-ram"}));
        QCOMPARE(ran.first().at(1).toLongLong(), 500 * megabyte);
        QCOMPARE(schedule->lastRun(), machine.now);
        QCOMPARE(schedule->lastFreedBytes(), 500 * megabyte);
        QVERIFY(armedAround(*schedule, 24 * hourMs));

        machine.now = machine.now.addSecs(3 * 3600);
        QCOMPARE(schedule->lastRunText(),
                 "Last clean-up: " + MenuBarRules::relativeTime(machine.now.addSecs(-3 * 3600), machine.now) +
                     ", " + MenuBarRules::formatBytes(500 * megabyte));
        QVERIFY(schedule->lastRunText().startsWith("Last clean-up: 3 hr. ago, "));
    }

    void notDueWaitsForTheRestOfTheInterval()
    {
        FakeMachine machine;
        enable();
        setLastRun(machine.now.addSecs(-3600));
        auto schedule = machine.schedule();
        QCOMPARE(schedule->nextDue(), machine.now.addSecs(23 * 3600));
        QVERIFY(armedAround(*schedule, 23 * hourMs));
        QTest::qWait(30);
        QVERIFY(machine.commands.isEmpty());

        // A shorter interval makes it due at once.
        Settings().setAutoCleanIntervalHours(1);
        schedule->reschedule();
        QTRY_COMPARE(machine.commands.size(), 2);
    }

    void restartNeitherRunsEarlyNorSkips()
    {
        FakeMachine machine;
        enable(6);
        QCOMPARE(machine.schedule()->nextDue(), machine.now); // never ran: due now
        {
            auto first = machine.schedule();
            QTRY_COMPARE(first->lastRun(), machine.now);
        }
        const QDateTime ranAt = machine.now;
        machine.commands.clear();

        machine.now = ranAt.addSecs(2 * 3600); // restarted two hours later
        auto second = machine.schedule();
        QCOMPARE(second->nextDue(), ranAt.addSecs(6 * 3600));
        QVERIFY(armedAround(*second, 4 * hourMs));
        QTest::qWait(30);
        QVERIFY(machine.commands.isEmpty());
        second.reset();

        machine.now = ranAt.addSecs(30 * 3600); // restarted long after the due time: runs at once
        auto third = machine.schedule();
        QTRY_COMPARE(third->lastRun(), ranAt.addSecs(30 * 3600));
        QCOMPARE(machine.commands.size(), 2);
    }

    void memoryThresholdDecidesTheRamCleanup_data()
    {
        QTest::addColumn<double>("memoryUse");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("under") << 79.9 << QStringList{"clean-cache", "clean-disk"};
        QTest::newRow("at") << 80.0 << QStringList{"clean-cache", "clean-disk", "clean-ram"};
        QTest::newRow("over") << 93.0 << QStringList{"clean-cache", "clean-disk", "clean-ram"};
    }

    void memoryThresholdDecidesTheRamCleanup()
    {
        QFETCH(double, memoryUse);
        QFETCH(QStringList, commands);
        FakeMachine machine;
        machine.memoryUse = memoryUse;
        Settings().setAutoCleanTempFiles(true);
        enable();
        auto schedule = machine.schedule();
        QTRY_VERIFY(schedule->hasLastRun());
        QCOMPARE(machine.commands, commands);
        // RAM gained counts only when RAM was cleaned.
        QCOMPARE(schedule->lastFreedBytes(), (commands.size() == 3 ? 700 : 400) * megabyte);
    }

    void nothingChosenStillKeepsTheSchedule()
    {
        FakeMachine machine;
        Settings settings;
        settings.setAutoCleanCache(false);
        settings.setAutoCleanRAM(false);
        enable();
        auto schedule = machine.schedule();
        QTRY_VERIFY(schedule->hasLastRun());
        QVERIFY(machine.commands.isEmpty());
        QCOMPARE(schedule->lastFreedBytes(), 0);
        QVERIFY(armedAround(*schedule, 24 * hourMs));
    }

    void backendDownIsNotRecordedAndRetried()
    {
        FakeMachine machine;
        machine.backendDown = true;
        enable();
        auto schedule = machine.schedule();
        QTRY_COMPARE(machine.commands.size(), 2);
        QTRY_VERIFY(!schedule->isRunning());
        QVERIFY(!schedule->hasLastRun());
        QVERIFY(schedule->lastRunText().isEmpty());
        QVERIFY(armedAround(*schedule, AutoCleanSchedule::retryMs));
    }

    void disablingStopsTheTimer()
    {
        FakeMachine machine;
        enable();
        setLastRun(machine.now.addSecs(-3600));
        auto schedule = machine.schedule();
        QVERIFY(schedule->armedInMs());
        Settings().setAutoCleanEnabled(false);
        schedule->reschedule();
        QVERIFY(!schedule->armedInMs());
    }

private:
    std::unique_ptr<TemporaryHome> m_home;
};

QTEST_MAIN(AutoCleanScheduleTest)
#include "tst_autocleanschedule.moc"
