#include "automation/ScheduleMath.h"
#include "service/BlockCommand.h"
#include "skills/SkillText.h"
#include "telegram/EnvironmentFile.h"

#include <QTest>

// The small rules of halvexd: threat wording, run times, block lines and the environment file.
class BackendTextsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void desktopVerdict_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("threat");
        QTest::newRow("clean keylogger scan") << QStringLiteral("✅ Keyloggers: none found") << false;
        QTest::newRow("finding") << QStringLiteral("Two suspicious kernel extensions were found") << true;
        QTest::newRow("negated rootkit") << QStringLiteral("A rootkit was detected, or none") << false;
        QTest::newRow("french clean") << QStringLiteral("Aucun keylogger détecté") << false;
        QTest::newRow("upper case") << QStringLiteral("LEAK") << true;
        QTest::newRow("plain text") << QStringLiteral("All good") << false;
    }

    void desktopVerdict()
    {
        QFETCH(QString, reply);
        QFETCH(bool, threat);
        QCOMPARE(ThreatReport::isThreat(reply), threat);
    }

    void findingsNeverSayNone()
    {
        const QString finding =
            ThreatReport::finding(QStringLiteral("⚠️ Possible keylogger detected"),
                                  {QStringLiteral("/opt/nonexistent/NONE-helper reads /dev/input/event3"),
                                   QStringLiteral("aucune-idée (pid 3)")});
        QVERIFY(ThreatReport::isThreat(finding));
        QVERIFY(!finding.contains(QLatin1String("none"), Qt::CaseInsensitive));
        QVERIFY(!finding.contains(QLatin1String("aucun"), Qt::CaseInsensitive));
        // Only an invisible character was added.
        QCOMPARE(QString(finding).remove(QChar(0x200B)).count(QLatin1String("none"), Qt::CaseInsensitive), 2);
        const QString clean = ThreatReport::clean(QStringLiteral("✅ Rootkits: none found"),
                                                  {QStringLiteral("Kernel: not tainted.")});
        QVERIFY(!ThreatReport::isThreat(clean));
        QCOMPARE(clean, QStringLiteral("✅ Rootkits: none found\nKernel: not tainted."));
    }

    void bytes_data()
    {
        QTest::addColumn<qint64>("count");
        QTest::addColumn<QString>("text");
        QTest::newRow("bytes") << qint64(512) << QStringLiteral("512 B");
        QTest::newRow("kilobytes") << qint64(1500) << QStringLiteral("1.5 kB");
        QTest::newRow("megabytes") << qint64(123'456'789) << QStringLiteral("123 MB");
        QTest::newRow("gigabytes") << qint64(4'200'000'000) << QStringLiteral("4.2 GB");
    }

    void bytes()
    {
        QFETCH(qint64, count);
        QFETCH(QString, text);
        QCOMPARE(SkillText::bytes(count), text);
    }

    void nextRun_data()
    {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<int>("interval");
        QTest::addColumn<QTime>("next");
        QTest::addColumn<int>("dayOffset");
        QTest::newRow("30 min at 10:15") << QTime(10, 15) << 30 << QTime(10, 30) << 0;
        QTest::newRow("2 h at 10:15") << QTime(10, 15) << 120 << QTime(12, 0) << 0;
        QTest::newRow("12 h at 10:15") << QTime(10, 15) << 720 << QTime(12, 0) << 0;
        QTest::newRow("12 h exactly at noon") << QTime(12, 0) << 720 << QTime(0, 0) << 1;
        QTest::newRow("6 h late evening") << QTime(23, 59, 59) << 360 << QTime(0, 0) << 1;
        QTest::newRow("4 h just before") << QTime(7, 59, 59, 999) << 240 << QTime(8, 0) << 0;
    }

    void nextRun()
    {
        QFETCH(QTime, now);
        QFETCH(int, interval);
        QFETCH(QTime, next);
        QFETCH(int, dayOffset);
        const QDate day(2025, 3, 12);
        const QDateTime result = ScheduleMath::nextRunAfter(QDateTime(day, now), interval);
        QCOMPARE(result, QDateTime(day.addDays(dayOffset), next));
    }

    // Berlin's summer time ends on 26 October 2025 (03:00 CEST becomes 02:00 CET) and starts on
    // 30 March 2025 (02:00 CET becomes 03:00 CEST). Times in UTC, so each instant is unambiguous.
    void nextRunAcrossTimeChanges_data()
    {
        QTest::addColumn<QDateTime>("after");
        QTest::addColumn<int>("interval");
        QTest::addColumn<QDateTime>("next");
        const auto utc = [](int month, int day, int hour, int minute) {
            return QDateTime(QDate(2025, month, day), QTime(hour, minute), Qt::UTC);
        };
        QTest::newRow("into the repeated hour") << utc(10, 25, 23, 45) << 30 << utc(10, 26, 0, 0);
        QTest::newRow("02:30 summer, then 02:00 winter") << utc(10, 26, 0, 30) << 30 << utc(10, 26, 1, 0);
        QTest::newRow("02:30 winter, then 03:00") << utc(10, 26, 1, 30) << 30 << utc(10, 26, 2, 0);
        QTest::newRow("hourly through the repeated hour") << utc(10, 26, 0, 0) << 60 << utc(10, 26, 1, 0);
        QTest::newRow("4 h after the change") << utc(10, 26, 1, 10) << 240 << utc(10, 26, 3, 0);
        QTest::newRow("skipped hour") << utc(3, 30, 0, 30) << 30 << utc(3, 30, 1, 0);
        QTest::newRow("daily at midnight") << utc(10, 25, 23, 0) << 1440 << utc(10, 26, 23, 0);
    }

    void nextRunAcrossTimeChanges()
    {
        QFETCH(QDateTime, after);
        QFETCH(int, interval);
        QFETCH(QDateTime, next);
        const QTimeZone berlin("Europe/Berlin");
        QVERIFY(berlin.isValid());
        const QDateTime result = ScheduleMath::nextRunAfter(after, interval, berlin);
        QCOMPARE(result.toUTC(), next);
    }

    void blockLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("isBlock");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("app");
        QTest::newRow("menu bar line") << QStringLiteral("block camera zoom.us") << true
                                       << QStringLiteral("camera") << QStringLiteral("zoom.us");
        QTest::newRow("name with spaces") << QStringLiteral("block microphone Google Chrome ") << true
                                          << QStringLiteral("microphone") << QStringLiteral("Google Chrome");
        QTest::newRow("no application") << QStringLiteral("block camera") << true << QString() << QString();
        QTest::newRow("bare block") << QStringLiteral("block") << true << QString() << QString();
        QTest::newRow("script") << QStringLiteral("blockade --help") << false << QString() << QString();
    }

    void blockLines()
    {
        QFETCH(QString, line);
        QFETCH(bool, isBlock);
        QFETCH(QString, type);
        QFETCH(QString, app);
        QCOMPARE(BlockCommand::isBlockLine(line), isBlock);
        const auto parsed = BlockCommand::parse(line);
        QCOMPARE(parsed.has_value(), !app.isEmpty());
        if (parsed) {
            QCOMPARE(parsed->type, type);
            QCOMPARE(parsed->app, app);
        }
    }

    void environmentFile_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("token"); // empty: absent
        QTest::newRow("plain") << QStringLiteral("PORT=1\nTELEGRAM_BOT_TOKEN=123:abc\n")
                               << QStringLiteral("123:abc");
        QTest::newRow("quoted") << QStringLiteral("TELEGRAM_BOT_TOKEN=\"123:abc\"\r\n")
                                << QStringLiteral("123:abc");
        QTest::newRow("exported") << QStringLiteral("export TELEGRAM_BOT_TOKEN='9:z'")
                                  << QStringLiteral("9:z");
        QTest::newRow("last wins") << QStringLiteral("TELEGRAM_BOT_TOKEN=1:a\nTELEGRAM_BOT_TOKEN=2:b")
                                   << QStringLiteral("2:b");
        QTest::newRow("commented") << QStringLiteral("#TELEGRAM_BOT_TOKEN=1:a\n") << QString();
        QTest::newRow("other key") << QStringLiteral("XTELEGRAM_BOT_TOKEN=1:a\n") << QString();
    }

    void environmentFile()
    {
        QFETCH(QString, text);
        QFETCH(QString, token);
        const auto value = EnvironmentFile::value(text, QStringLiteral("TELEGRAM_BOT_TOKEN"));
        QCOMPARE(value.value_or(QString()), token);
    }
};

QTEST_GUILESS_MAIN(BackendTextsTest)
#include "tst_backendtexts.moc"
