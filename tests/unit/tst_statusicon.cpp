#include "app/StatusIcon.h"

#include <QDir>
#include <QImage>
#include <QPixmap>
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

    void countText_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text");
        QTest::newRow("one") << 1 << "1";
        QTest::newRow("nine") << 9 << "9";
        QTest::newRow("ten") << 10 << "9+";
        QTest::newRow("thousands") << 12345 << "9+";
    }
    void countText()
    {
        QFETCH(int, count);
        QFETCH(QString, text);
        QCOMPARE(StatusIcon::countText(count), text);
        QVERIFY(StatusIcon::countText(count).size() <= 2);
    }

    // The plain shield takes the desktop's text colour; the degraded one is hollow and has a tooltip
    // of its own; the count is a badge of the icon's own size, not a squeezed strip beside it.
    void drawing_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("1x") << 1.0;
        QTest::newRow("2x") << 2.0;
    }
    void drawing()
    {
        QFETCH(qreal, ratio);
        const QColor dark(20, 20, 20);
        const QColor light(240, 240, 240);
        for (const QColor& text : {dark, light}) {
            const QImage plain =
                StatusIcon::renderPixmap(Tint::Primary, std::nullopt, text, 22, ratio).toImage();
            QCOMPARE(plain.size(), QSize(22, 22) * ratio);
            QCOMPARE(plain.pixelColor(plain.width() / 2, plain.height() / 2), text);
        }
        const QImage degraded = StatusIcon::renderPixmap(Tint::Red, std::nullopt, dark, 22, ratio).toImage();
        // Hollow: the middle of the left half is empty, where a filled shield would be red.
        QCOMPARE(degraded.pixelColor(int(7 * ratio), int(9 * ratio)).alpha(), 0);
        QVERIFY(StatusIcon::toolTip(Tint::Red) != StatusIcon::toolTip(Tint::Primary));
        QVERIFY(StatusIcon::isDegraded(Tint::Red) && !StatusIcon::isDegraded(Tint::Orange));

        const QImage counted = StatusIcon::renderPixmap(Tint::Primary, 42, dark, 22, ratio).toImage();
        // The badge covers the lower right corner, and its text stands out in white.
        int white = 0;
        for (int y = counted.height() / 2; y < counted.height(); ++y)
            for (int x = counted.width() / 2; x < counted.width(); ++x)
                white += counted.pixelColor(x, y).lightness() > 200 ? 1 : 0;
        QVERIFY2(white >= int(6 * ratio * ratio), qPrintable(QString::number(white)));
        QDir().mkpath(QStringLiteral(HALVEX_BINARY_DIR "/ui-shots"));
        QVERIFY(counted.scaled(counted.size() * 8 / ratio)
                    .save(QStringLiteral(HALVEX_BINARY_DIR "/ui-shots/tray-icon-count-%1x.png").arg(ratio)));
        QVERIFY(
            degraded.scaled(degraded.size() * 8 / ratio)
                .save(QStringLiteral(HALVEX_BINARY_DIR "/ui-shots/tray-icon-degraded-%1x.png").arg(ratio)));
    }
};

QTEST_MAIN(StatusIconTest)
#include "tst_statusicon.moc"
