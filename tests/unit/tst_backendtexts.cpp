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
