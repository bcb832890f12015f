#include "support/QuickItems.h"
#include "ui/ProfileCards.h"

#include <QDir>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Halvex_UiPlugin)

namespace {

// Three cards and the confirmation sheet as a caller would wire them; the root records what they say.
constexpr char harness[] = R"(
import QtQuick
import Halvex.Ui
Rectangle {
    id: harness
    width: 560; height: 420; color: Obsidian.bg
    property string active: ""
    property bool loading: false
    property string tappedId: ""
    property string confirmedId: ""
    property int cancelCount: 0
    property int confirmCount: 0
    function present(id) { demo.profileName = id; demo.open() }
    Row {
        x: 20; y: 20; spacing: 10
        Repeater {
            model: Profiles.cards
            delegate: ProfileCard {
                required property var modelData
                profile: modelData
                width: 160
                isActive: harness.active === modelData.id
                isLoading: harness.loading
                onTapped: (id) => harness.tappedId = id
            }
        }
    }
    ProfileDemoSheet {
        id: demo
        onConfirmed: (id) => { harness.confirmedId = id; harness.confirmCount++ }
        onCancelled: harness.cancelCount++
    }
}
)";

} // namespace

// The profile cards and the profile confirmation sheet, loaded offscreen and driven by objectName.
class ProfileCardsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cardsAndDemoFollowTheProfileTable()
    {
        const QVariantList cards = ProfileCards::cards();
        QCOMPARE(cards.size(), 3);
        const QStringList expected[] = {
            {"essentiel", "Essential", "shield.fill", "5 tasks", "Camera, mic, RAM"},
            {"business", "Business", "briefcase.fill", "12 tasks", "+ Network, VPN, WiFi"},
            {"paranoid", "Paranoid", "lock.shield.fill", "36 tasks", "+ Threats, full audit"},
        };
        for (int i = 0; i < 3; ++i) {
            const QVariantMap card = cards.at(i).toMap();
            QCOMPARE((QStringList{card["id"].toString(), card["name"].toString(), card["icon"].toString(),
                                  card["taskCountText"].toString(), card["detail"].toString()}),
                     expected[i]);
        }

        const QVariantMap business = ProfileCards::demo("business");
        QCOMPARE(business["title"].toString(), "Business");
        QCOMPARE(business["icon"].toString(), "briefcase.fill");
        const QVariantList lines = business["lines"].toList();
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.first().toMap()["text"].toString(), "Everything in Essential, plus:");
        QCOMPARE(lines.last().toMap()["text"].toString(), "Permissions & updates — every 12h");

        const QVariantMap unknown = ProfileCards::demo("custom-7");
        QCOMPARE(unknown["title"].toString(), "custom-7");
        QCOMPARE(unknown["icon"].toString(), "shield.fill");
        QVERIFY(unknown["lines"].toList().isEmpty());
    }

    void cardsMarkTheActiveProfileAndReportTaps()
    {
        load();
        root()->setProperty("active", "business");
        root()->setProperty("loading", true);
        QVERIFY(QQuickTest::qWaitForPolish(m_view.get()));
        const struct
        {
            const char* id;
            bool active;
        } marks[] = {{"essentiel", false}, {"business", true}, {"paranoid", false}};
        for (const auto& mark : marks) {
            const QString id = QString::fromLatin1(mark.id);
            QCOMPARE(find("activeBadge_" + id)->isVisible(), mark.active);
            QCOMPARE(find("profileSpinner_" + id)->isVisible(), !mark.active); // the active card needs none
        }
        QCOMPARE(find("profileName_paranoid")->property("text").toString(), "Paranoid");
        QTest::qWait(400);
        save("profile-cards");

        root()->setProperty("loading", false);
        QVERIFY(!find("profileSpinner_essentiel")->isVisible());
        QVERIFY(click("profileCard_paranoid"));
        QCOMPARE(root()->property("tappedId").toString(), "paranoid");
    }

    void demoSheetConfirmsOrCancelsExactlyOnce()
    {
        load();
        QMetaObject::invokeMethod(root(), "present", Q_ARG(QVariant, QVariant("paranoid")));
        QTRY_VERIFY(shown("demoActivate"));
        QCOMPARE(find("demoTitle")->property("text").toString(), "Paranoid");
        QCOMPARE(find("demoLine_0")->property("text").toString(), "Everything in Business, plus:");
        QCOMPARE(find("demoLine_5")->property("text").toString(),
                 QString::fromUtf8("System health — disk, battery, CPU, GPU, SSD — every 4h"));
        QTest::qWait(200);
        save("profile-demo-sheet");
        QVERIFY(click("demoActivate"));
        QTRY_VERIFY(!shown("demoActivate"));
        QCOMPARE(root()->property("confirmedId").toString(), "paranoid");

        QMetaObject::invokeMethod(root(), "present", Q_ARG(QVariant, QVariant("essentiel")));
        QTRY_VERIFY(shown("demoCancel"));
        QCOMPARE(find("demoTitle")->property("text").toString(), "Essential");
        QVERIFY(click("demoCancel"));
        QTRY_VERIFY(!shown("demoCancel"));

        // Dismissed without a choice: a cancel as well.
        QMetaObject::invokeMethod(root(), "present", Q_ARG(QVariant, QVariant("business")));
        QTRY_VERIFY(shown("demoCancel"));
        QTest::keyClick(m_view.get(), Qt::Key_Escape);
        QTRY_VERIFY(!shown("demoCancel"));

        QCOMPARE(root()->property("confirmCount").toInt(), 1);
        QCOMPARE(root()->property("cancelCount").toInt(), 2);
    }

private:
    void load()
    {
        QVERIFY(m_dir.isValid());
        const QString path = m_dir.filePath("Harness.qml");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(harness);
        file.close();
        m_view = std::make_unique<QQuickView>();
        m_view->engine()->addImportPath(QStringLiteral("qrc:/"));
        m_view->setSource(QUrl::fromLocalFile(path));
        QVERIFY2(m_view->status() == QQuickView::Ready, qPrintable(m_view->errors().value(0).toString()));
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

    QQuickItem* root() { return m_view->rootObject(); }

    void save(const QString& name)
    {
        const QImage image = m_view->grabWindow();
        QVERIFY(!image.isNull());
        QDir().mkpath(QStringLiteral(HALVEX_BINARY_DIR "/ui-shots"));
        QVERIFY(image.save(QStringLiteral(HALVEX_BINARY_DIR "/ui-shots/") + name + ".png"));
    }

    // Popups hang under the window's overlay, beside the root item: search from the content item.
    bool click(const char* name)
    {
        if (!QQuickTest::qWaitForPolish(m_view.get()))
            return false;
        QQuickItem* target = QuickItems::find(m_view->contentItem(), QString::fromLatin1(name));
        if (!target || !target->isVisible())
            return false;
        const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
        QTest::mouseClick(m_view.get(), Qt::LeftButton, {}, centre.toPoint());
        return true;
    }

    QQuickItem* find(const QString& name)
    {
        QQuickItem* found = QuickItems::find(m_view->contentItem(), name);
        if (!found)
            qFatal("no item %s", qPrintable(name));
        return found;
    }

    bool shown(const char* name)
    {
        const QQuickItem* found = QuickItems::find(m_view->contentItem(), QString::fromLatin1(name));
        return found && found->isVisible();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<QQuickView> m_view;
};

QTEST_MAIN(ProfileCardsTest)
#include "tst_profilecards.moc"
