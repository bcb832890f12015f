#include "app/AppViews.h"
#include "app/SingleInstance.h"
#include "app/TrayApplication.h"
#include "platform/Settings.h"
#include "support/FakeBackendHome.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <csignal>

namespace {

// Stands in for the QML panel: records how the application uses it, and never starts monitoring
// itself, so whatever monitoring runs was started by the application.
struct PanelRecord
{
    std::optional<TrayPanel::Mode> mode;
    int shows = 0;
    std::function<void()> hidden;
};

class RecordingPanel : public TrayPanel
{
public:
    explicit RecordingPanel(PanelRecord& record) : m_record(record) {}
    void toggle(const PanelAnchor&) override { ++m_record.shows; }
    void show(const PanelAnchor&) override { ++m_record.shows; }
    void setHiddenHandler(std::function<void()> handler) override { m_record.hidden = std::move(handler); }

private:
    PanelRecord& m_record;
};

} // namespace

// The tray application as a user starts it (offscreen display), and its clean quit.
class TrayAppTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startsAndQuitsCleanly()
    {
        TemporaryHome home;
        QProcess halvex;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("HALVEX_PLATFORM", "linux");
        environment.remove("HALVEX_VENDOR_URL");
        halvex.setProcessEnvironment(environment);
        halvex.start(QStringLiteral(HALVEX_BINARY_DIR "/src/halvex"));
        QVERIFY(halvex.waitForStarted());
        QTest::qWait(1500); // the set-up window opens 0.3 s after launch on a first run
        QCOMPARE(halvex.state(), QProcess::Running);
        ::kill(pid_t(halvex.processId()), SIGTERM);
        QVERIFY(halvex.waitForFinished(10000));
        QCOMPARE(halvex.exitStatus(), QProcess::NormalExit);
        QCOMPARE(halvex.exitCode(), 0);
        const QByteArray errors = halvex.readAllStandardError();
        QVERIFY2(!errors.contains("Sanitizer"), errors.constData());
    }

    // Monitoring starts with the application, not with the panel's first showing. Without a tray
    // (offscreen has none) the panel opens as a window at launch, and its first closing says, once,
    // that monitoring goes on.
    void monitorsFromLaunchAndSaysSoWhenTheWindowCloses_data()
    {
        QTest::addColumn<bool>("protection");
        QTest::newRow("protection on") << true;
        QTest::newRow("protection off") << false;
    }
    void monitorsFromLaunchAndSaysSoWhenTheWindowCloses()
    {
        QFETCH(bool, protection);
        FakeBackendHome rig;
        qputenv("HALVEX_PLATFORM", "macos"); // its log tool and its notices are fake tools here
        Settings().setProtectionEnabled(protection);
        Settings().setHasOnboarded(true);
        FakeTool log("HALVEX_TOOL_LOG");
        log.setScriptBody("exec sleep 60\n");
        FakeTool osascript("HALVEX_TOOL_OSASCRIPT");

        PanelRecord record;
        AppViews views;
        views.panel = [&record](AppState&, TrayPanel::Mode mode, std::function<void()>) {
            record.mode = mode;
            return std::make_unique<RecordingPanel>(record);
        };
        SingleInstance instance; // not claimed: the test's own process is no session's instance
        QTimer::singleShot(0, [&] {
            const auto quit = qScopeGuard([] { QCoreApplication::quit(); });
            if (protection)
                QVERIFY(log.waitForCalls(1, 10000));
            else
                QTest::qWait(1000);
            QVERIFY(record.hidden);
            record.hidden();
            record.hidden();
            QVERIFY(osascript.waitForCalls(1, 10000));
            QTest::qWait(300);
        });
        QCOMPARE(TrayApplication::run(*qApp, views, instance), 0);

        QCOMPARE(record.mode, std::optional(TrayPanel::Mode::Window));
        QCOMPARE(record.shows, 1);
        QCOMPARE(log.calls().isEmpty(), !protection);
        if (protection)
            QCOMPARE(log.calls().first().first(), "stream");
        const QList<QStringList> notices = osascript.calls();
        QCOMPARE(notices.size(), 1);
        QVERIFY(notices.first().join(' ').contains("Halvex keeps monitoring in the background"));
    }
};

QTEST_MAIN(TrayAppTest)
#include "tst_trayapp.moc"
