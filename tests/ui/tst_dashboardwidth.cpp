#include "app/AppState.h"
#include "app/DashboardModel.h"
#include "model/QuickSkill.h"
#include "model/SkillCategory.h"
#include "platform/Settings.h"
#include "support/FakeBackendHome.h"
#include "support/QuickItems.h"
#include "ui/DashboardWindow.h"

#include <QDir>
#include <QQuickItem>
#include <QSet>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest/quicktest.h>

#include <cmath>
#include <limits>

Q_IMPORT_QML_PLUGIN(Halvex_UiPlugin)

namespace {

SecurityAlert alertOf(const QString& type, const QString& app, std::optional<QString> details = std::nullopt)
{
    return {type,
            app,
            {},
            QDateTime::currentDateTimeUtc().addSecs(-90).toString(Qt::ISODateWithMs),
            std::move(details)};
}

QRectF sceneRect(const QQuickItem* item)
{
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
}

bool isAncestor(const QQuickItem* ancestor, const QQuickItem* item)
{
    for (const QQuickItem* above = item->parentItem(); above; above = above->parentItem()) {
        if (above == ancestor)
            return true;
    }
    return false;
}

QString describe(const QString& name, const QRectF& rect)
{
    return QStringLiteral("%1 (%2, %3 %4×%5)")
        .arg(name)
        .arg(rect.x())
        .arg(rect.y())
        .arg(rect.width())
        .arg(rect.height());
}

// What every tab shows above its content.
const QStringList headerItems{"appTitle",         "monitoringState", "statToday",        "statsRule",
                              "statAllTime",      "strikeButton",    "strikeLabel",      "tab_alerts",
                              "tab_alertsLabel",  "tab_control",     "tab_controlLabel", "tab_settings",
                              "tab_settingsLabel"};

QStringList alertItems()
{
    QStringList names;
    for (int i = 0; i < 4; ++i) {
        for (const char* prefix : {"alertRow_", "headline_", "chips_", "why_", "block_", "blockLabel_"})
            names << QString::fromLatin1(prefix) + QString::number(i);
    }
    return names << "chevron_0"
                 << "count_0"
                 << "count_1"
                 << "count_3";
}

QStringList commandItems()
{
    QStringList names;
    for (int i = 0; i < 11; ++i)
        names << QStringLiteral("category_%1").arg(i);
    for (const QuickSkill& skill : SkillCategory(SkillCategory::quick).skills())
        names << QStringLiteral("tile_") + skill.id;
    return names << "commandField"
                 << "sendButton"
                 << "welcomePrompt"
                 << "welcomeHint";
}

const QStringList settingsItems{
    "servicesCard",       "servicesTitle",         "servicesState",        "telegramCard",
    "telegramTitle",      "telegramBadge",         "telegramControls",     "openBot",
    "disconnectTelegram", "profileCard_essentiel", "profileCard_business", "profileCard_paranoid",
    "activeTasksCount",   "chip_rootkit-scanner",  "chip_camera-status",   "customizeToggle",
    "openSettings",       "footerVersion"};

} // namespace

// The dashboard at the widths a tiling compositor gives it, from its minimum to its default size,
// against a real AppState and the fake backend, with content that tests the room: long names, every
// access type in one row, counters in the millions.
class DashboardWidthTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_rig = std::make_unique<FakeBackendHome>();
        m_systemctl = std::make_unique<FakeTool>("HALVEX_TOOL_SYSTEMCTL", "not-found\n");
        Settings().setHasOnboarded(true);
        Settings().setProtectionEnabled(false);
    }

    void cleanup()
    {
        m_window.reset();
        m_systemctl.reset();
        m_state.reset();
        m_rig.reset();
    }

    void skillColumnsFollowTheWidth_data()
    {
        QTest::addColumn<qreal>("available");
        QTest::addColumn<int>("columns");
        QTest::newRow("nothing") << 0.0 << 1;
        QTest::newRow("negative") << -40.0 << 1;
        QTest::newRow("not a number") << std::numeric_limits<qreal>::quiet_NaN() << 1;
        QTest::newRow("one cell") << 150.0 << 1;
        QTest::newRow("just under two") << 299.9 << 1;
        QTest::newRow("two") << 300.0 << 2;
        QTest::newRow("minimum window") << 640.0 - 14 << 4;
        QTest::newRow("half of 1366") << 683.0 - 14 << 4;
        QTest::newRow("five") << 750.0 << 5;
        QTest::newRow("just under six") << 899.0 << 5;
        QTest::newRow("six") << 900.0 << 6;
        QTest::newRow("default window") << 1000.0 - 14 << 6;
        QTest::newRow("wide screen") << 2560.0 - 14 << 6;
        QTest::newRow("infinite") << std::numeric_limits<qreal>::infinity() << 6;
    }

    void skillColumnsFollowTheWidth()
    {
        QFETCH(qreal, available);
        QFETCH(int, columns);
        QCOMPARE(DashboardLayout::skillColumns(available), columns);
    }

    // Quick Menu, the largest built-in category, holds twelve tiles.
    void skillRowsShowTheLargestCategory_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::newRow("twelve across: one row is needed, two kept") << 12 << 2;
        QTest::newRow("six: two rows") << 6 << 2;
        QTest::newRow("five: three rows") << 5 << 3;
        QTest::newRow("four: three rows") << 4 << 3;
        QTest::newRow("three: four needed, three at most") << 3 << 3;
        QTest::newRow("one") << 1 << 3;
        QTest::newRow("none") << 0 << 3;
    }

    void skillRowsShowTheLargestCategory()
    {
        qsizetype largest = 0;
        for (const SkillCategory category : SkillCategory::allCases())
            largest = std::max(largest, category.skills().size());
        QCOMPARE(largest, 12);
        QFETCH(int, columns);
        QFETCH(int, rows);
        QCOMPARE(DashboardLayout::skillRowsShown(columns), rows);
    }

    // Every named item of the tab is seen whole: inside the window and inside every item above it that
    // clips, inside the named items that contain it, clear of every other named item; no tile's name
    // is cut short.
    void tabFitsTheWidth_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QByteArray>("tab");
        QTest::addColumn<QStringList>("names");
        for (const int width : {640, 683, 800, 1000}) {
            const QSize size(width, 700);
            QTest::addRow("alerts-%d", width) << size << QByteArray("alerts") << headerItems + alertItems();
            QTest::addRow("commands-%d", width)
                << size << QByteArray("control") << headerItems + commandItems();
            QTest::addRow("settings-%d", width)
                << size << QByteArray("settings") << headerItems + settingsItems;
        }
        // The smallest window; the settings tab scrolls there, so its lower cards are below the fold.
        const QSize smallest(DashboardWindow::minimumWidth, DashboardWindow::minimumHeight);
        QTest::newRow("alerts-smallest") << smallest << QByteArray("alerts") << headerItems + alertItems();
        QTest::newRow("commands-smallest")
            << smallest << QByteArray("control") << headerItems + commandItems();
    }

    void tabFitsTheWidth()
    {
        QFETCH(QSize, size);
        QFETCH(QByteArray, tab);
        QFETCH(QStringList, names);
        openCrowdedDashboard(size);
        QVERIFY(click("tab_" + tab));
        QVERIFY(QQuickTest::qWaitForPolish(m_window.get()));
        QCOMPARE(m_window->size(), size);

        const QRectF window(QPointF(0, 0), QSizeF(size));
        QList<QQuickItem*> items;
        for (const QString& name : names) {
            QQuickItem* found = QuickItems::find(m_window->contentItem(), name);
            QVERIFY2(found && QuickItems::isSeen(found), qPrintable(name + " is not seen"));
            items << found;
        }
        for (int i = 0; i < items.size(); ++i) {
            const QRectF rect = sceneRect(items[i]);
            const QString what = describe(names[i], rect);
            QVERIFY2(!rect.isEmpty(), qPrintable(what + " is empty"));
            QVERIFY2(window.contains(rect), qPrintable(what + " leaves the window"));
            for (const QQuickItem* above = items[i]->parentItem(); above; above = above->parentItem()) {
                if (above->clip())
                    QVERIFY2(sceneRect(above).contains(rect),
                             qPrintable(what + " is clipped by " +
                                        describe(above->objectName(), sceneRect(above))));
            }
            for (int j = 0; j < i; ++j) {
                const QRectF other = sceneRect(items[j]);
                const QString pair = what + " and " + describe(names[j], other);
                if (isAncestor(items[j], items[i]))
                    QVERIFY2(other.contains(rect), qPrintable(pair + ": it sticks out"));
                else if (isAncestor(items[i], items[j]))
                    QVERIFY2(rect.contains(other), qPrintable(pair + ": it sticks out"));
                else
                    QVERIFY2(!rect.intersects(other), qPrintable(pair + " overlap"));
            }
        }
        QList<QQuickItem*> tileNames;
        QuickItems::findAll(m_window->contentItem(), QStringLiteral("tileName"), tileNames);
        for (const QQuickItem* name : std::as_const(tileNames)) {
            if (QuickItems::isSeen(name))
                QVERIFY2(!name->property("truncated").toBool(),
                         qPrintable(name->property("text").toString()));
        }
        QTest::qWait(200);
        save(QStringLiteral("dashboard-") + QString::fromLatin1(QTest::currentDataTag()));
    }

    // The grid drops columns as the window narrows and grows a row instead, so Quick Menu's twelve
    // tiles stay in sight without scrolling; from the default width up it keeps six columns.
    void skillGridDropsColumns_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::newRow("640") << 640 << 4 << 3;
        QTest::newRow("683") << 683 << 4 << 3;
        QTest::newRow("800") << 800 << 5 << 3;
        QTest::newRow("1000") << 1000 << 6 << 2;
        QTest::newRow("1400") << 1400 << 6 << 2;
    }

    void skillGridDropsColumns()
    {
        QFETCH(int, width);
        QFETCH(int, columns);
        QFETCH(int, rows);
        openCrowdedDashboard(QSize(width, 700));
        QVERIFY(click("tab_control"));
        QVERIFY(QQuickTest::qWaitForPolish(m_window.get()));
        const QQuickItem* grid = QuickItems::find(m_window->contentItem(), QStringLiteral("skillGrid"));
        const QRectF shown = sceneRect(grid);
        QSet<qreal> lefts;
        QSet<qreal> tops;
        for (const QuickSkill& skill : SkillCategory(SkillCategory::quick).skills()) {
            const QQuickItem* tile =
                QuickItems::find(m_window->contentItem(), QStringLiteral("tile_") + skill.id);
            QVERIFY2(tile && QuickItems::isSeen(tile), qPrintable(skill.id));
            const QRectF rect = sceneRect(tile);
            QVERIFY2(shown.contains(rect), qPrintable(describe(skill.id, rect)));
            lefts.insert(rect.x());
            tops.insert(rect.y());
        }
        QCOMPARE(lefts.size(), columns);
        QCOMPARE(tops.size(), rows);
    }

    // At the smallest size the window allows, every sheet of the dashboard opens whole inside it, and
    // its first and last controls inside the sheet, the long application name included.
    void sheetsFitTheSmallestWindow_data()
    {
        QTest::addColumn<bool>("firstRun");
        QTest::addColumn<QByteArrayList>("clicks");
        QTest::addColumn<QByteArrayList>("shown");
        QTest::newRow("first run") << true << QByteArrayList{}
                                   << QByteArrayList{"onboardingTokenTitle", "onboardingSave"};
        QTest::newRow("block") << false << QByteArrayList{"block_1"}
                               << QByteArrayList{"confirmTitle", "confirmBlockButton"};
        QTest::newRow("why") << false << QByteArrayList{"why_1"}
                             << QByteArrayList{"whyClose", "whyExplanation"};
        QTest::newRow("strike") << false << QByteArrayList{"strikeButton"} << QByteArrayList{"strikeScroll"};
        QTest::newRow("disconnect") << false << QByteArrayList{"tab_settings", "disconnectTelegram"}
                                    << QByteArrayList{"disconnectTitle", "disconnectConfirmButton"};
        QTest::newRow("profile") << false << QByteArrayList{"tab_settings", "profileCard_business"}
                                 << QByteArrayList{"demoTitle", "demoActivate"};
        QTest::newRow("script editor")
            << false << QByteArrayList{"tab_control", "category_10", "newScriptTile"}
            << QByteArrayList{"editorTitle", "saveButton"};
    }

    void sheetsFitTheSmallestWindow()
    {
        QFETCH(bool, firstRun);
        QFETCH(QByteArrayList, clicks);
        QFETCH(QByteArrayList, shown);
        Settings().setHasOnboarded(!firstRun);
        openCrowdedDashboard(QSize(DashboardWindow::minimumWidth, DashboardWindow::minimumHeight));
        for (const QByteArray& name : std::as_const(clicks)) {
            QTRY_VERIFY2(isSeen(name), name.constData());
            QVERIFY(QQuickTest::qWaitForPolish(m_window.get()));
            QVERIFY(click(name));
        }
        for (const QByteArray& name : std::as_const(shown))
            QTRY_VERIFY2(isSeen(name), name.constData());
        QTest::qWait(300); // the sheets' opening transitions
        QVERIFY(QQuickTest::qWaitForPolish(m_window.get()));
        const QRectF window(0, 0, m_window->width(), m_window->height());
        QCOMPARE(window.size(), QSizeF(640, 600));
        for (const QByteArray& name : std::as_const(shown)) {
            const QQuickItem* item = QuickItems::find(m_window->contentItem(), QString::fromLatin1(name));
            const QRectF rect = sceneRect(item);
            QVERIFY2(window.contains(rect), qPrintable(describe(QString::fromLatin1(name), rect)));
            // A popup's frame is the item the window's overlay holds.
            const QQuickItem* frame = item;
            while (frame->parentItem() && !frame->parentItem()->inherits("QQuickOverlay"))
                frame = frame->parentItem();
            if (frame->parentItem()) {
                QVERIFY2(window.contains(sceneRect(frame)),
                         qPrintable(describe("its sheet", sceneRect(frame))));
                QVERIFY2(sceneRect(frame).contains(rect),
                         qPrintable(describe(QString::fromLatin1(name), rect) + " leaves " +
                                    describe("its sheet", sceneRect(frame))));
            }
        }
        save(QStringLiteral("dashboard-smallest-") +
             QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-'));
    }

    // The narrow layout only takes over below the default width: there the dashboard is as designed.
    // Places and sizes measured, with the same content, on the layout from before it could narrow
    // (Debian 12's fonts).
    void defaultWidthKeepsTheDesign_data()
    {
        QTest::addColumn<QByteArray>("tab");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QRectF>("rect");
        QTest::newRow("alerts strikeButton")
            << QByteArray("alerts") << QByteArray("strikeButton") << QRectF(879, 19, 101, 30);
        QTest::newRow("alerts statToday")
            << QByteArray("alerts") << QByteArray("statToday") << QRectF(362, 14, 108, 39);
        QTest::newRow("alerts statAllTime")
            << QByteArray("alerts") << QByteArray("statAllTime") << QRectF(507, 14, 153, 39);
        QTest::newRow("alerts tab_settings")
            << QByteArray("alerts") << QByteArray("tab_settings") << QRectF(235, 75, 105, 31);
        QTest::newRow("alerts alertRow_1")
            << QByteArray("alerts") << QByteArray("alertRow_1") << QRectF(0, 177, 1000, 54);
        QTest::newRow("alerts headline_1")
            << QByteArray("alerts") << QByteArray("headline_1") << QRectF(62, 187, 693.88, 17);
        QTest::newRow("alerts count_1")
            << QByteArray("alerts") << QByteArray("count_1") << QRectF(483.09, 208, 13.22, 13);
        QTest::newRow("alerts why_1")
            << QByteArray("alerts") << QByteArray("why_1") << QRectF(835.75, 189, 30, 30);
        QTest::newRow("alerts block_1")
            << QByteArray("alerts") << QByteArray("block_1") << QRectF(873.75, 191, 80.25, 26);
        QTest::newRow("alerts chevron_0")
            << QByteArray("alerts") << QByteArray("chevron_0") << QRectF(962, 138, 22, 22);
        QTest::newRow("alerts alertRow_3")
            << QByteArray("alerts") << QByteArray("alertRow_3") << QRectF(0, 287, 1000, 54);
        QTest::newRow("control category_10")
            << QByteArray("control") << QByteArray("category_10") << QRectF(839, 122, 82, 28);
        QTest::newRow("control skillGrid")
            << QByteArray("control") << QByteArray("skillGrid") << QRectF(0, 159, 1000, 156);
        QTest::newRow("control tile_wifi-scanner")
            << QByteArray("control") << QByteArray("tile_wifi-scanner") << QRectF(830, 169, 158, 56);
        QTest::newRow("control tile_open-ports")
            << QByteArray("control") << QByteArray("tile_open-ports") << QRectF(830, 231, 158, 56);
        QTest::newRow("control terminalOutput")
            << QByteArray("control") << QByteArray("terminalOutput") << QRectF(0, 316, 1000, 339);
        QTest::newRow("control commandField")
            << QByteArray("control") << QByteArray("commandField") << QRectF(34, 667, 926, 22);
        QTest::newRow("settings servicesCard")
            << QByteArray("settings") << QByteArray("servicesCard") << QRectF(20, 168, 960, 61);
        QTest::newRow("settings servicesState")
            << QByteArray("settings") << QByteArray("servicesState") << QRectF(914, 192, 50, 14);
        QTest::newRow("settings openBot")
            << QByteArray("settings") << QByteArray("openBot") << QRectF(36, 333, 142, 14);
        QTest::newRow("settings disconnectTelegram")
            << QByteArray("settings") << QByteArray("disconnectTelegram") << QRectF(864, 327, 100, 26);
        QTest::newRow("settings profileCard_business")
            << QByteArray("settings") << QByteArray("profileCard_business") << QRectF(343, 443, 314, 89);
        QTest::newRow("settings chip_rootkit-scanner")
            << QByteArray("settings") << QByteArray("chip_rootkit-scanner") << QRectF(261, 564, 235, 22);
        QTest::newRow("settings openSettings")
            << QByteArray("settings") << QByteArray("openSettings") << QRectF(885, 632, 95, 26);
        QTest::newRow("settings footerVersion")
            << QByteArray("settings") << QByteArray("footerVersion") << QRectF(459, 674, 83, 13);
    }

    void defaultWidthKeepsTheDesign()
    {
        QFETCH(QByteArray, tab);
        QFETCH(QByteArray, name);
        QFETCH(QRectF, rect);
        openCrowdedDashboard(QSize(DashboardWindow::defaultWidth, DashboardWindow::defaultHeight));
        QVERIFY(click("tab_" + tab));
        QVERIFY(QQuickTest::qWaitForPolish(m_window.get()));
        const QQuickItem* found = QuickItems::find(m_window->contentItem(), QString::fromLatin1(name));
        QVERIFY(found && QuickItems::isSeen(found));
        const QRectF actual = sceneRect(found);
        QVERIFY2(std::abs(actual.x() - rect.x()) < 0.5 && std::abs(actual.y() - rect.y()) < 0.5 &&
                     std::abs(actual.width() - rect.width()) < 0.5 &&
                     std::abs(actual.height() - rect.height()) < 0.5,
                 qPrintable(describe(QString::fromLatin1(name), actual)));
    }

private:
    // Four applications: one with a long name and every kind of access, one seen three times with
    // details, a system component, one with two accesses; counters far beyond a usual day.
    void openCrowdedDashboard(QSize size)
    {
        m_rig->backend.alerts << alertOf("camera", "zoom.us", QStringLiteral("pid 4242 opened /dev/video0"))
                              << alertOf("camera", "zoom.us") << alertOf("camera", "zoom.us");
        for (const char* type : {"camera", "microphone", "location", "network", "screen_recording"})
            m_rig->backend.alerts << alertOf(QString::fromLatin1(type),
                                             "org.example.AnApplicationWithAVeryLongNameIndeed");
        m_rig->backend.alerts << alertOf("microphone", "coreaudiod") << alertOf("microphone", "Recorder")
                              << alertOf("camera", "Recorder");
        m_rig->backend.stats["today"] = 1234567;
        m_rig->backend.stats["total"] = 2147483647;
        m_rig->backend.automations["rootkit-scanner"] = true;
        m_rig->backend.automations["camera-status"] = true;
        m_state = std::make_unique<AppState>();
        m_window = std::make_unique<DashboardWindow>(*m_state, [] {});
        m_window->resize(size);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QTRY_COMPARE(m_window->model()->feedCount(), 4);
        QTRY_VERIFY(m_state->isConnected());
        QTRY_VERIFY(m_state->telegramStatus().has_value());
        QTRY_COMPARE(QuickItems::find(m_window.get(), "statAllTime")->property("value").toString(),
                     "2147483647");
    }

    bool isSeen(const QByteArray& name)
    {
        const QQuickItem* found = QuickItems::find(m_window->contentItem(), QString::fromLatin1(name));
        return found && QuickItems::isSeen(found);
    }

    bool click(const QByteArray& name)
    {
        const QQuickItem* target = QuickItems::find(m_window->contentItem(), QString::fromLatin1(name));
        if (!target || !target->isVisible())
            return false;
        const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
        QTest::mouseClick(m_window.get(), Qt::LeftButton, {}, centre.toPoint());
        return true;
    }

    void save(const QString& name)
    {
        const QImage image = m_window->grabWindow();
        QVERIFY(!image.isNull());
        QDir().mkpath(QStringLiteral(HALVEX_BINARY_DIR "/ui-shots"));
        QVERIFY(image.save(QStringLiteral(HALVEX_BINARY_DIR "/ui-shots/") + name + ".png"));
    }

    std::unique_ptr<FakeBackendHome> m_rig;
    std::unique_ptr<FakeTool> m_systemctl;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<DashboardWindow> m_window;
};

QTEST_MAIN(DashboardWidthTest)
#include "tst_dashboardwidth.moc"
