#include "model/RunInterval.h"

#include <QTest>

class RunIntervalTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void intervals_data()
    {
        QTest::addColumn<QString>("skillId");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("minutes");
        const auto group = [](const char* label, int minutes, std::initializer_list<const char*> ids) {
            for (const char* id : ids)
                QTest::newRow(id) << id << label << minutes;
        };
        group("Every 30 min", 30,
              {"camera-status", "microphone-status", "network-connections", "location-status"});
        group("Every 1h", 60,
              {"clipboard-monitor", "dns-leak-test", "keylogger-detector", "network-sniff-detector",
               "rootkit-scanner"});
        group("Every 2h", 120,
              {"firewall-status", "vpn-checker", "open-ports", "wifi-scanner", "ssh-connections",
               "screen-lock-status", "wifi-intelligence"});
        group("Every 4h", 240,
              {"disk-usage", "process-list", "memory-usage", "battery-status", "cpu-temperature", "gpu-info",
               "ssd-health"});
        group("Every 6h", 360, {"clean-ram", "clean-disk", "clean-cache", "clean-all"});
        group("Every 12h", 720,
              {"backup-status", "bluetooth-audit", "browser-extensions", "gatekeeper-sip-status",
               "launch-daemon-audit", "login-history", "permission-audit", "sharing-status",
               "update-checker"});
        group("Every 6h", 360, {"screen-sharing-status", "routing-table", "my-script", ""});
        QTest::newRow("ids match exactly") << "Camera-Status"
                                           << "Every 6h" << 360;
    }

    void intervals()
    {
        QFETCH(QString, skillId);
        QFETCH(QString, label);
        QFETCH(int, minutes);
        QCOMPARE(runInterval(skillId), (RunInterval{label, minutes}));
        QCOMPARE(scheduleLabel(skillId), label);
    }

    void nextRunText_data()
    {
        QTest::addColumn<QString>("skillId");
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QString>("text");
        QTest::newRow("30 min at 10:15") << "camera-status" << QTime(10, 15) << "In 15 min";
        QTest::newRow("1h at 10:15") << "rootkit-scanner" << QTime(10, 15) << "In 45 min";
        QTest::newRow("2h at 10:15") << "firewall-status" << QTime(10, 15) << "In 1h 45min";
        QTest::newRow("4h at 10:15") << "disk-usage" << QTime(10, 15) << "In 1h 45min";
        QTest::newRow("6h at 10:15") << "clean-ram" << QTime(10, 15) << "In 1h 45min";
        QTest::newRow("12h at 10:15") << "update-checker" << QTime(10, 15) << "In 1h 45min";
        QTest::newRow("12h at 12:00") << "update-checker" << QTime(12, 0) << "In 12h";
        QTest::newRow("4h at 12:00") << "disk-usage" << QTime(12, 0) << "In 4h";
        QTest::newRow("30 min at 12:00") << "location-status" << QTime(12, 0) << "In 30 min";
        QTest::newRow("1h at 12:00") << "dns-leak-test" << QTime(12, 0) << "In 1h";
        QTest::newRow("unlisted at 12:00") << "my-script" << QTime(12, 0) << "In 6h";
        QTest::newRow("seconds ignored") << "camera-status" << QTime(10, 15, 59) << "In 15 min";
        QTest::newRow("midnight") << "camera-status" << QTime(0, 0) << "In 30 min";
        QTest::newRow("last minute of the day") << "update-checker" << QTime(23, 59) << "In 1 min";
        QTest::newRow("exactly one hour left") << "update-checker" << QTime(11, 0) << "In 1h";
    }

    void nextRunText()
    {
        QFETCH(QString, skillId);
        QFETCH(QTime, now);
        QFETCH(QString, text);
        QCOMPARE(::nextRunText(skillId, now), text);
    }
};

QTEST_GUILESS_MAIN(RunIntervalTest)
#include "tst_runinterval.moc"
