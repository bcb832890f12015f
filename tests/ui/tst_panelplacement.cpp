#include "ui/PanelPlacement.h"

#include <QTest>

// Where the panel opens for a click on a tray icon at each screen edge, and without a position.
class PanelPlacementTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void place_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<std::optional<QPoint>>("cursor");
        QTest::addColumn<QPoint>("origin");
        const QRect screen(0, 30, 1920, 1050); // a top bar of 30 pixels
        const QRect second(1920, 0, 1280, 1024);
        QTest::newRow("no position: top right") << screen << std::optional<QPoint>() << QPoint(1600, 30);
        QTest::newRow("top bar, centred under the icon")
            << screen << std::optional(QPoint(1000, 40)) << QPoint(840, 30);
        QTest::newRow("top bar, near the right edge: kept inside")
            << screen << std::optional(QPoint(1910, 40)) << QPoint(1600, 30);
        QTest::newRow("bottom panel: above the icon")
            << QRect(0, 0, 1920, 1040) << std::optional(QPoint(1800, 1035)) << QPoint(1600, 440);
        QTest::newRow("left dock: beside the icon")
            << QRect(48, 0, 1872, 1080) << std::optional(QPoint(50, 540)) << QPoint(48, 240);
        QTest::newRow("position off this screen: top right")
            << screen << std::optional(QPoint(2500, 500)) << QPoint(1600, 30);
        QTest::newRow("second screen, top bar")
            << second << std::optional(QPoint(3100, 5)) << QPoint(2880, 0);
    }
    void place()
    {
        QFETCH(QRect, available);
        QFETCH(std::optional<QPoint>, cursor);
        QFETCH(QPoint, origin);
        QCOMPARE(PanelPlacement::place(QSize(320, 600), available, cursor), origin);
    }

    void panelTallerThanTheScreenStartsAtItsTop()
    {
        QCOMPARE(PanelPlacement::place(QSize(320, 900), QRect(0, 0, 1024, 768), QPoint(1000, 760)),
                 QPoint(704, 0));
    }
};

QTEST_GUILESS_MAIN(PanelPlacementTest)
#include "tst_panelplacement.moc"
