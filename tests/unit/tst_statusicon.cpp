#include "app/StatusIcon.h"

#include <QTest>

using StatusIcon::Tint;

class StatusIconTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tint_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QStringList>("timestamps");
        QTest::addColumn<int>("expected");
        QTest::newRow("disconnected beats a fresh event")
            << false << QStringList{"2025-03-01T11:59:00.000Z"} << int(Tint::Red);
        QTest::newRow("no events") << true << QStringList{} << int(Tint::Primary);
        QTest::newRow("4 minutes old")
            << true << QStringList{"2025-03-01T11:56:00.000Z"} << int(Tint::Orange);
        QTest::newRow("6 minutes old") << true << QStringList{"2025-03-01T11:54:00Z"} << int(Tint::Primary);
        QTest::newRow("exactly 5 minutes")
            << true << QStringList{"2025-03-01T11:55:00Z"} << int(Tint::Primary);
        QTest::newRow("only the first event counts")
            << true << QStringList{"2025-03-01T10:00:00Z", "2025-03-01T11:59:59Z"} << int(Tint::Primary);
        QTest::newRow("offset form") << true << QStringList{"2025-03-01T13:58:00+02:00"} << int(Tint::Orange);
        QTest::newRow("bad timestamp") << true << QStringList{"yesterday"} << int(Tint::Primary);
    }

    void tint()
    {
        QFETCH(bool, connected);
        QFETCH(QStringList, timestamps);
        QFETCH(int, expected);
        QList<SecurityAlert> alerts;
        for (const QString& timestamp : timestamps)
            alerts.append({"camera", "Zoom", "", timestamp, std::nullopt});
        const QDateTime now(QDate(2025, 3, 1), QTime(12, 0), Qt::UTC);
        QCOMPARE(int(StatusIcon::tint(connected, alerts, now)), expected);
    }

    void badge()
    {
        QCOMPARE(StatusIcon::badgeCount(std::nullopt), std::nullopt);
        QCOMPARE(StatusIcon::badgeCount(0), std::nullopt);
        QCOMPARE(StatusIcon::badgeCount(7), 7);
    }
};

QTEST_GUILESS_MAIN(StatusIconTest)
#include "tst_statusicon.moc"
