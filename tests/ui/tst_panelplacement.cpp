#include "ui/PanelPlacement.h"

#include <QTest>

// Where the panel opens beside a tray icon at each screen edge, from the icon's rectangle or the
// clicked point, and without either.
class PanelPlacementTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void place_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<std::optional<QRect>>("icon");
        QTest::addColumn<std::optional<QPoint>>("click");
        QTest::addColumn<QPoint>("origin");
        const QRect laptop(0, 0, 1366, 768);
        const QRect belowBar(0, 30, 1366, 738); // a tray strip of 30 pixels at the top
        const QRect aboveBar(0, 0, 1366, 738);  // ... at the bottom
        const std::optional<QRect> none;
        const std::optional<QPoint> noClick;
        QTest::newRow("nothing known: top right")
            << laptop << belowBar << none << noClick << QPoint(1046, 30);
        QTest::newRow("top tray: under the icon, centred on it")
            << laptop << belowBar << std::optional(QRect(700, 4, 22, 22)) << noClick << QPoint(550, 30);
        QTest::newRow("top tray near the right edge: kept inside")
            << laptop << belowBar << std::optional(QRect(1340, 4, 22, 22)) << noClick << QPoint(1046, 30);
        QTest::newRow("bottom tray: just above the icon")
            << laptop << aboveBar << std::optional(QRect(1300, 742, 22, 22)) << noClick << QPoint(1046, 138);
        QTest::newRow("bottom tray, click only: the click in the tray's strip still counts")
            << laptop << aboveBar << none << std::optional(QPoint(1311, 753)) << QPoint(1046, 138);
        QTest::newRow("the icon wins over the click")
            << laptop << aboveBar << std::optional(QRect(100, 742, 22, 22))
            << std::optional(QPoint(1311, 753)) << QPoint(0, 138);
        QTest::newRow("left tray: beside the icon")
            << laptop << QRect(40, 0, 1326, 768) << std::optional(QRect(9, 400, 22, 22)) << noClick
            << QPoint(40, 110);
        QTest::newRow("right tray: beside the icon")
            << laptop << QRect(0, 0, 1326, 768) << std::optional(QRect(1335, 100, 22, 22)) << noClick
            << QPoint(1006, 0);
        QTest::newRow("an icon on another screen: top right of this one")
            << laptop << belowBar << std::optional(QRect(2000, 4, 22, 22)) << noClick << QPoint(1046, 30);
        QTest::newRow("second screen, top tray")
            << QRect(1366, 0, 1280, 1024) << QRect(1366, 24, 1280, 1000)
            << std::optional(QRect(2500, 1, 22, 22)) << noClick << QPoint(2326, 24);
    }
    void place()
    {
        QFETCH(QRect, screen);
        QFETCH(QRect, available);
        QFETCH(std::optional<QRect>, icon);
        QFETCH(std::optional<QPoint>, click);
        QFETCH(QPoint, origin);
        QCOMPARE(PanelPlacement::place(QSize(320, 600), screen, available, {icon, click, std::nullopt}),
                 origin);
    }

    // Content taller than the screen: the window is cut to the available height (and scrolls), and
    // that height starts at the top of the available area.
    void panelAsTallAsTheAvailableAreaStartsAtItsTop()
    {
        const QRect screen(0, 0, 1366, 768);
        const QRect available(0, 0, 1366, 738);
        QCOMPARE(
            PanelPlacement::place(QSize(320, 738), screen, available, {QRect(1300, 742, 22, 22), {}, {}}),
            QPoint(1046, 0));
        QCOMPARE(
            PanelPlacement::place(QSize(320, 900), screen, available, {QRect(1300, 742, 22, 22), {}, {}}),
            QPoint(1046, 0));
    }

    // A layer-shell popup names the corner it sits in: the bar's edge the compositor tells wins; else
    // a point in the screen's lower half means a bottom bar; a vertical bar's tray is at its top.
    void layerPopupTakesTheBarsCorner_data()
    {
        QTest::addColumn<std::optional<Qt::Edge>>("barEdge");
        QTest::addColumn<std::optional<QPoint>>("click");
        QTest::addColumn<int>("anchors");
        QTest::addColumn<QMargins>("margins");
        const int gap = PanelPlacement::layerGap;
        const int topRight = Qt::TopEdge | Qt::RightEdge;
        const int bottomRight = Qt::BottomEdge | Qt::RightEdge;
        const std::optional<Qt::Edge> unknown;
        QTest::newRow("nothing known")
            << unknown << std::optional<QPoint>() << topRight << QMargins(0, gap, gap, 0);
        QTest::newRow("waybar's point inside its icon")
            << unknown << std::optional(QPoint(10, 14)) << topRight << QMargins(0, gap, gap, 0);
        QTest::newRow("a screen position in a bottom bar")
            << unknown << std::optional(QPoint(1300, 753)) << bottomRight << QMargins(0, 0, gap, gap);
        QTest::newRow("the compositor's bottom bar wins over the point")
            << std::optional(Qt::BottomEdge) << std::optional(QPoint(10, 14)) << bottomRight
            << QMargins(0, 0, gap, gap);
        QTest::newRow("the compositor's top bar wins over the point")
            << std::optional(Qt::TopEdge) << std::optional(QPoint(1300, 753)) << topRight
            << QMargins(0, gap, gap, 0);
        QTest::newRow("left bar") << std::optional(Qt::LeftEdge) << std::optional<QPoint>()
                                  << int(Qt::LeftEdge | Qt::TopEdge) << QMargins(gap, gap, 0, 0);
        QTest::newRow("right bar") << std::optional(Qt::RightEdge) << std::optional<QPoint>()
                                   << int(Qt::RightEdge | Qt::TopEdge) << QMargins(0, gap, gap, 0);
        QTest::newRow("a point on another screen tells nothing")
            << unknown << std::optional(QPoint(2000, 753)) << topRight << QMargins(0, gap, gap, 0);
    }
    void layerPopupTakesTheBarsCorner()
    {
        QFETCH(std::optional<Qt::Edge>, barEdge);
        QFETCH(std::optional<QPoint>, click);
        QFETCH(int, anchors);
        QFETCH(QMargins, margins);
        const LayerShellSurface::Placement placement =
            PanelPlacement::layerPlacement({std::nullopt, click, barEdge}, QRect(0, 0, 1366, 768));
        QCOMPARE(int(placement.anchors), anchors);
        QCOMPARE(placement.margins, margins);
    }
};

QTEST_GUILESS_MAIN(PanelPlacementTest)
#include "tst_panelplacement.moc"
