#include "app/AutomationSettings.h"
#include "app/EmojiText.h"
#include "app/MenuBarRules.h"

#include <QTest>

using MenuBarRules::Tint;

class MenuBarRulesTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void watchStatusWords()
    {
        using MenuBarRules::WatchStatus;
        QCOMPARE(MenuBarRules::watchStatusText(WatchStatus::Monitored), "Monitored");
        QCOMPARE(MenuBarRules::watchStatusText(WatchStatus::Unavailable), "Unavailable");
        QCOMPARE(MenuBarRules::watchStatusText(WatchStatus::Paused), "Paused");
    }

    void emojiRunsTakeTheColourFont_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("markup");
        const QString open = QStringLiteral("<font face=\"Noto Color Emoji\">");
        QTest::newRow("no emoji, escaped") << "Tom & <Jerry>"
                                           << "Tom &amp; &lt;Jerry&gt;";
        QTest::newRow("trailing emoji")
            << QString::fromUtf8("All clear 😌")
            << QString::fromUtf8("All clear ") + open + QString::fromUtf8("😌</font>");
        QTest::newRow("warning sign with its selector is one run")
            << QString::fromUtf8("⚠️ Alert") << open + QString::fromUtf8("⚠️</font> Alert");
        QTest::newRow("joined family is one run")
            << QString::fromUtf8("👩‍💻") << open + QString::fromUtf8("👩‍💻</font>");
        QTest::newRow("digits stay in the text font") << "v1.1.0"
                                                      << "v1.1.0";
    }
    void emojiRunsTakeTheColourFont()
    {
        QFETCH(QString, text);
        QFETCH(QString, markup);
        QCOMPARE(EmojiText::markup(text), markup);
    }

    void cpuIconTint_data()
    {
        QTest::addColumn<std::optional<double>>("temp");
        QTest::addColumn<int>("thermal");
        QTest::addColumn<Tint>("tint");
        QTest::newRow("74.9") << std::optional<double>(74.9) << 3 << Tint::SafeGreen;
        QTest::newRow("75") << std::optional<double>(75.0) << 0 << Tint::Orange;
        QTest::newRow("89.9") << std::optional<double>(89.9) << 0 << Tint::Orange;
        QTest::newRow("90") << std::optional<double>(90.0) << 0 << Tint::Red;
        QTest::newRow("nominal") << std::optional<double>() << 0 << Tint::SafeGreen;
        QTest::newRow("fair") << std::optional<double>() << 1 << Tint::Orange;
        QTest::newRow("serious") << std::optional<double>() << 2 << Tint::Red;
        QTest::newRow("critical") << std::optional<double>() << 3 << Tint::Red;
        QTest::newRow("unknown") << std::optional<double>() << 7 << Tint::Secondary;
    }
    void cpuIconTint()
    {
        QFETCH(std::optional<double>, temp);
        QFETCH(int, thermal);
        QFETCH(Tint, tint);
        QCOMPARE(MenuBarRules::cpuTempIconTint(temp, thermal), tint);
    }

    void thermalLabels_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("label");
        QTest::addColumn<Tint>("dot");
        QTest::newRow("nominal") << 0 << "Normal" << Tint::SafeGreen;
        QTest::newRow("fair") << 1 << "Warm" << Tint::Orange;
        QTest::newRow("serious") << 2 << "Hot" << Tint::Red;
        QTest::newRow("critical") << 3 << "Critical" << Tint::Red;
        QTest::newRow("other") << -1 << "–" << Tint::Secondary;
    }
    void thermalLabels()
    {
        QFETCH(int, state);
        QFETCH(QString, label);
        QFETCH(Tint, dot);
        QCOMPARE(MenuBarRules::thermalLabel(state), label);
        QCOMPARE(MenuBarRules::thermalDotTint(state), dot);
    }

    void cpuReadingRounds()
    {
        QCOMPARE(MenuBarRules::cpuReading(42.5), "43°C");
        QCOMPARE(MenuBarRules::cpuReading(41.4), "41°C");
    }

    void formatBytes_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("giga") << qint64(1'500'000'000) << "1.5 Go";
        QTest::newRow("giga edge") << qint64(1'000'000'000) << "1.0 Go";
        QTest::newRow("tens of mega") << qint64(42'400'000) << "42 Mo";
        QTest::newRow("ten mega") << qint64(10'000'000) << "10 Mo";
        QTest::newRow("mega") << qint64(2'500'000) << "2.5 Mo";
        QTest::newRow("one mega") << qint64(1'000'000) << "1.0 Mo";
        QTest::newRow("kilo") << qint64(999'999) << "976 Ko";
        QTest::newRow("zero") << qint64(0) << "0 Ko";
    }
    void formatBytes()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(MenuBarRules::formatBytes(bytes), text);
    }

    void cleanResult_data()
    {
        QTest::addColumn<qint64>("disk");
        QTest::addColumn<qint64>("ram");
        QTest::addColumn<std::optional<QString>>("backend");
        QTest::addColumn<QString>("text");
        const std::optional<QString> none;
        QTest::newRow("disk at threshold") << qint64(30'000'000) << qint64(0) << none << "Cleanup done";
        QTest::newRow("disk above") << qint64(30'000'001) << qint64(0) << none << "+30 Mo disk";
        QTest::newRow("ram at threshold") << qint64(0) << qint64(10'000'000) << none << "Cleanup done";
        QTest::newRow("ram above") << qint64(0) << qint64(10'000'001) << none << "+10 Mo RAM";
        QTest::newRow("both") << qint64(2'000'000'000) << qint64(20'000'000) << std::optional<QString>("x")
                              << "+2.0 Go disk · +20 Mo RAM";
        QTest::newRow("backend text")
            << qint64(-5) << qint64(-5) << std::optional<QString>("Freed") << "Freed";
    }
    void cleanResult()
    {
        QFETCH(qint64, disk);
        QFETCH(qint64, ram);
        QFETCH(std::optional<QString>, backend);
        QFETCH(QString, text);
        QCOMPARE(MenuBarRules::cleanResultText(disk, ram, backend), text);
    }

    void stepLabels()
    {
        QCOMPARE(MenuBarRules::cleanStepLabel(0), "Cleaning the cache…");
        QCOMPARE(MenuBarRules::cleanStepLabel(4), "Final cleanup…");
        QCOMPARE(MenuBarRules::cleanStepLabel(9), "Final cleanup…");
    }

    void alertIconsAndSentences()
    {
        QCOMPARE(MenuBarRules::alertIcon("camera"), QString::fromUtf8("\xF0\x9F\x93\xB9"));
        QCOMPARE(MenuBarRules::alertIcon("Camera"), QString::fromUtf8("\xE2\x9A\xA0\xEF\xB8\x8F"));
        QCOMPARE(MenuBarRules::alertIcon("network"), QString::fromUtf8("\xF0\x9F\x8C\x90"));
        QVERIFY(MenuBarRules::humanSentence("Zoom", "camera").contains("Zoom"));
        QVERIFY(MenuBarRules::humanSentence("Zoom", "camera") !=
                MenuBarRules::humanSentence("Zoom", "other"));
    }

    void versions_data()
    {
        QTest::addColumn<QString>("remote");
        QTest::addColumn<QString>("running");
        QTest::addColumn<std::optional<bool>>("newer");
        QTest::newRow("numeric") << "1.10.0"
                                 << "1.9.0" << std::optional<bool>(true);
        QTest::newRow("older") << "1.9.0"
                               << "1.10.0" << std::optional<bool>(false);
        QTest::newRow("same") << "1.1.0"
                              << "1.1.0" << std::optional<bool>(false);
        QTest::newRow("shorter") << "1.1"
                                 << "1.1.0" << std::optional<bool>(false);
        QTest::newRow("longer") << "1.1.0.1"
                                << "1.1.0" << std::optional<bool>(true);
        QTest::newRow("garbage") << "v2"
                                 << "1.1.0" << std::optional<bool>();
        QTest::newRow("empty") << ""
                               << "1.1.0" << std::optional<bool>();
    }
    void versions()
    {
        QFETCH(QString, remote);
        QFETCH(QString, running);
        QFETCH(std::optional<bool>, newer);
        QCOMPARE(MenuBarRules::isNewerVersion(remote, running), newer);
    }

    void relativeTimes()
    {
        const QDateTime now = QDateTime(QDate(2025, 1, 2), QTime(12, 0), Qt::UTC);
        QCOMPARE(MenuBarRules::relativeTime(now.addSecs(-12), now), "12 sec. ago");
        QCOMPARE(MenuBarRules::relativeTime(now.addSecs(-180), now), "3 min. ago");
        QCOMPARE(MenuBarRules::relativeTime(now.addSecs(-7200), now), "2 hr. ago");
        QCOMPARE(MenuBarRules::relativeTime(now.addDays(-4), now), "4 days ago");
    }

    void whitelistToggle_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("after");
        QTest::newRow("first") << ""
                               << "zoom"
                               << "zoom";
        QTest::newRow("sorted") << "zoom"
                                << "chrome"
                                << "chrome,zoom";
        QTest::newRow("remove") << "chrome,zoom"
                                << "zoom"
                                << "chrome";
        QTest::newRow("spaces rewritten") << "zoom, slack"
                                          << "obs"
                                          << "obs,slack,zoom";
        QTest::newRow("empty pieces") << ",zoom,,\t"
                                      << "teams"
                                      << "teams,zoom";
    }
    void whitelistToggle()
    {
        QFETCH(QString, before);
        QFETCH(QString, key);
        QFETCH(QString, after);
        QCOMPARE(AutomationSettings::toggledWhitelist(before, key), after);
    }

    void sliders_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("ram");
        QTest::addColumn<double>("hours");
        QTest::newRow("below") << 0.0 << 50.0 << 1.0;
        QTest::newRow("above") << 200.0 << 95.0 << 72.0;
        QTest::newRow("between steps") << 62.4 << 60.0 << 62.0;
        QTest::newRow("half step") << 67.5 << 70.0 << 68.0;
    }
    void sliders()
    {
        QFETCH(double, value);
        QFETCH(double, ram);
        QFETCH(double, hours);
        QCOMPARE(AutomationSettings::snapped(value, 50, 95, 5), ram);
        QCOMPARE(AutomationSettings::snapped(value, 1, 72, 1), hours);
    }
};

QTEST_GUILESS_MAIN(MenuBarRulesTest)
#include "tst_menubarrules.moc"
