#include "app/AppState.h"
#include "app/MenuBarModel.h"
#include "app/MenuBarRules.h"
#include "model/L10n.h"
#include "monitor/MonitorEngine.h"
#include "platform/Settings.h"
#include "support/FakeProcTree.h"
#include "support/HalvexdProcess.h"
#include "support/QuickItems.h"
#include "support/TestEnvironment.h"
#include "ui/MenuBarPanel.h"

#include <QFile>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Halvex_UiPlugin)

// The whole path a user sees: a program opens the camera, the Linux device watcher reports it, the
// panel lists it with its sentence, and "Block" goes through the real halvexd to pkill.
class PanelEndToEndTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cameraAccessIsListedAndBlocked()
    {
        TemporaryHome home;
        FakeProcTree tree;
        const QString video0 = tree.addNode(QStringLiteral("video0"));
        QTemporaryDir missingTools;
        qputenv("HALVEX_PLATFORM", "linux");
        qputenv("HALVEX_PROC_ROOT", tree.procRoot().toUtf8());
        qputenv("HALVEX_DEV_ROOT", tree.devRoot().toUtf8());
        qputenv("HALVEX_TOOL_PW_DUMP", (missingTools.path() + QStringLiteral("/pw-dump")).toUtf8());
        qputenv("HALVEX_TOOL_PACTL", (missingTools.path() + QStringLiteral("/pactl")).toUtf8());
        FakeTool pkill(QStringLiteral("HALVEX_TOOL_PKILL"));

        HalvexdProcess backend(home.path(), home.path());
        QVERIFY(backend.start());
        Settings().setValue(SettingsKey::serverURL, backend.baseUrl());

        AppState state;
        MenuBarPanel panel(state, TrayPanel::Mode::Window);
        panel.toggle();
        QVERIFY(QTest::qWaitForWindowExposed(panel.view()));
        QVERIFY(state.engine().isMonitoring()); // protection is on by default: showing the panel starts it

        tree.addProcess(4242, QStringLiteral("zoom"), QString(), {video0});
        const QString sentence = MenuBarRules::humanSentence(L10n::friendlyApp(u"zoom").name, "camera");
        // The watch on the node is set up as the engine starts; opening it again until the row shows
        // covers the moment before.
        QTRY_VERIFY_WITH_TIMEOUT(touched(video0) && QuickItems::text(panel.view(), "sentence_0") == sentence,
                                 10000);
        QCOMPARE(panel.model()->allGroups().size(), 1);

        QVERIFY(QuickItems::click(panel.view(), "block_0"));
        QVERIFY(pkill.waitForCalls(1, 10000));
        QCOMPARE(pkill.calls().first(), (QStringList{"-x", "-i", "zoom"}));
        QTRY_VERIFY(QuickItems::find(panel.view(), "blocked_0") &&
                    QuickItems::find(panel.view(), "blocked_0")->isVisible());
        QVERIFY(!QuickItems::find(panel.view(), "block_0")->isVisible());

        state.engine().stop();
        for (const char* name : {"HALVEX_PLATFORM", "HALVEX_PROC_ROOT", "HALVEX_DEV_ROOT",
                                 "HALVEX_TOOL_PW_DUMP", "HALVEX_TOOL_PACTL"})
            qunsetenv(name);
    }

private:
    // Opens and closes the node as a program taking one frame would; true, so it can lead a condition.
    static bool touched(const QString& path)
    {
        QFile node(path);
        if (node.open(QIODevice::ReadOnly))
            node.close();
        return true;
    }
};

QTEST_MAIN(PanelEndToEndTest)
#include "tst_panelendtoend.moc"
