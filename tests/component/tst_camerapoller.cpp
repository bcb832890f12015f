#include "monitor/CameraPoller.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

// Fake pgrep and ps: pgrep finds a process when a file of its name exists in the state directory;
// ps prints the file "listing" there.
class FakeProcessTools
{
public:
    FakeProcessTools()
    {
        pgrep.setScriptBody(
            QStringLiteral("[ -f '%1/running-'\"$2\" ] && exit 0\nexit 1\n").arg(m_state.path()));
        ps.setScriptBody(QStringLiteral("cat '%1/listing'\n").arg(m_state.path()));
        setListing("launchd\nWindowServer\n");
    }

    void setRunning(const QString& name, bool running)
    {
        const QString path = m_state.path() + QStringLiteral("/running-") + name;
        if (running)
            QFile(path).open(QIODevice::WriteOnly);
        else
            QFile::remove(path);
    }

    void setListing(const QByteArray& listing)
    {
        QFile file(m_state.path() + QStringLiteral("/listing"));
        file.open(QIODevice::WriteOnly);
        file.write(listing);
    }

    QString stateDirectory() const { return m_state.path(); }

    // Waits until pgrep has been asked `more` more times, i.e. until at least one more check ran.
    bool waitForChecks(int more)
    {
        const qsizetype target = pgrep.calls().size() + more;
        return pgrep.waitForCalls(int(target));
    }

    FakeTool pgrep{QStringLiteral("HALVEX_TOOL_PGREP")};
    FakeTool ps{QStringLiteral("HALVEX_TOOL_PS")};

private:
    QTemporaryDir m_state;
};

QString appOf(const QList<QVariant>& signal)
{
    return signal.at(1).toString();
}

} // namespace

class CameraPollerTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cameraAppFromListing_data()
    {
        QTest::addColumn<QByteArray>("listing");
        QTest::addColumn<QString>("app");
        QTest::newRow("list order, not process order") << QByteArray("zoom.us\nZoom\nSafari\n") << "Safari";
        QTest::newRow("substring of a path")
            << QByteArray("/Applications/Google Chrome.app/Contents/MacOS/Google Chrome\n") << "Chrome";
        QTest::newRow("name with a space")
            << QByteArray("/Applications/Photo Booth.app/x\n") << "Photo Booth";
        QTest::newRow("case-sensitive") << QByteArray("safari\nzoom\n") << "Unknown (Camera Active)";
        QTest::newRow("empty") << QByteArray() << "Unknown (Camera Active)";
        QTest::newRow("not UTF-8") << QByteArray("Safari\n\xff\xfe\n") << "Unknown (Camera Active)";
    }

    void cameraAppFromListing()
    {
        QFETCH(QByteArray, listing);
        QFETCH(QString, app);
        QCOMPARE(CameraPoller::cameraAppFromListing(listing), app);
    }

    void recordsOneAlertPerOffToOnTransition()
    {
        FakeProcessTools tools;
        tools.setListing("kernel_task\nzoom.us\nSafari\n");
        CameraPoller poller(20ms, 2s);
        QSignalSpy accesses(&poller, &AccessSource::accessDetected);
        tools.setRunning(QStringLiteral("VDCAssistant"), true);
        poller.start();
        QVERIFY(accesses.wait());
        QCOMPARE(accesses.takeFirst().at(1).toString(), QStringLiteral("Safari"));
        QVERIFY(poller.cameraWasActive());

        // Still on: nothing more.
        QVERIFY(tools.waitForChecks(3));
        QCOMPARE(accesses.count(), 0);

        // Off, then on again: a new alert.
        tools.setRunning(QStringLiteral("VDCAssistant"), false);
        QTRY_VERIFY(!poller.cameraWasActive());
        tools.setRunning(QStringLiteral("VDCAssistant"), true);
        QVERIFY(accesses.wait());
        QCOMPARE(accesses.count(), 1);
    }

    void alertCarriesTypeAppAndDetails()
    {
        FakeProcessTools tools;
        tools.setListing("FaceTime\n");
        CameraPoller poller(20ms, 2s);
        QSignalSpy accesses(&poller, &AccessSource::accessDetected);
        tools.setRunning(QStringLiteral("AppleCameraAssistant"), true);
        poller.start();
        QVERIFY(accesses.wait());
        const QList<QVariant> access = accesses.first();
        QCOMPARE(access.at(0).toString(), QStringLiteral("camera"));
        QCOMPARE(appOf(access), QStringLiteral("FaceTime"));
        // The same details whichever service process was found.
        QCOMPARE(access.at(2).value<std::optional<QString>>(),
                 std::optional<QString>(QStringLiteral("Camera active (VDCAssistant running)")));
    }

    void toolsGetTheirArgumentLists()
    {
        FakeProcessTools tools;
        CameraPoller poller(20ms, 2s);
        QSignalSpy accesses(&poller, &AccessSource::accessDetected);
        poller.start();
        // With no camera process, both service names are tried, in order.
        QVERIFY(tools.pgrep.waitForCalls(2));
        QCOMPARE(tools.pgrep.calls().at(0), (QStringList{"-x", "VDCAssistant"}));
        QCOMPARE(tools.pgrep.calls().at(1), (QStringList{"-x", "AppleCameraAssistant"}));
        QCOMPARE(tools.ps.calls().size(), 0);

        tools.setRunning(QStringLiteral("VDCAssistant"), true);
        QVERIFY(accesses.wait());
        QCOMPARE(tools.ps.calls().constLast(), (QStringList{"-ax", "-o", "comm="}));
        QCOMPARE(appOf(accesses.first()), QStringLiteral("Unknown (Camera Active)"));
    }

    void readsAListingLargerThanThePipe()
    {
        FakeProcessTools tools;
        QByteArray listing;
        while (listing.size() < 1024 * 1024)
            listing += "/System/Library/PrivateFrameworks/SomeFramework.framework/Versions/A/helperd\n";
        tools.setListing(listing + "Discord\n");
        CameraPoller poller(20ms, 5s);
        QSignalSpy accesses(&poller, &AccessSource::accessDetected);
        tools.setRunning(QStringLiteral("VDCAssistant"), true);
        poller.start();
        QVERIFY(accesses.wait());
        QCOMPARE(appOf(accesses.first()), QStringLiteral("Discord"));
    }

    void noCheckAtStart()
    {
        FakeProcessTools tools;
        tools.setRunning(QStringLiteral("VDCAssistant"), true);
        CameraPoller poller(1h, 2s);
        poller.start();
        QVERIFY(poller.isPolling());
        QTest::qWait(200);
        QCOMPARE(tools.pgrep.calls().size(), 0);
    }

    void cameraStateOutlivesStop()
    {
        FakeProcessTools tools;
        CameraPoller poller(20ms, 2s);
        QSignalSpy accesses(&poller, &AccessSource::accessDetected);
        tools.setRunning(QStringLiteral("VDCAssistant"), true);
        poller.start();
        QVERIFY(accesses.wait());
        poller.stop();
        QVERIFY(!poller.isPolling());

        // Restarted with the camera still on: the poller has to see it off once first.
        poller.start();
        QVERIFY(tools.waitForChecks(3));
        QCOMPARE(accesses.count(), 1);
        tools.setRunning(QStringLiteral("VDCAssistant"), false);
        QTRY_VERIFY(!poller.cameraWasActive());
        tools.setRunning(QStringLiteral("VDCAssistant"), true);
        QVERIFY(accesses.wait());
        QCOMPARE(accesses.count(), 2);
    }

    void hungPgrepIsKilledAndPollingGoesOn()
    {
        FakeProcessTools tools;
        // The first pgrep hangs; later ones answer.
        tools.pgrep.setScriptBody(
            QStringLiteral("if [ ! -f '%1/hung' ]; then touch '%1/hung'; exec sleep 30; fi\n"
                           "[ -f '%1/running-'\"$2\" ] && exit 0\nexit 1\n")
                .arg(tools.stateDirectory()));
        tools.setRunning(QStringLiteral("VDCAssistant"), true);
        CameraPoller poller(20ms, 300ms);
        QSignalSpy accesses(&poller, &AccessSource::accessDetected);
        poller.start();
        QVERIFY(accesses.wait(5000));
        QCOMPARE(accesses.count(), 1);
    }

    void missingPgrepIsReportedOnce()
    {
        FakeProcessTools tools;
        QTemporaryDir empty;
        qputenv("HALVEX_TOOL_PGREP", (empty.path() + QStringLiteral("/no-such-pgrep")).toUtf8());
        CapturedStdout output;
        CameraPoller poller(10ms, 2s);
        QSignalSpy accesses(&poller, &AccessSource::accessDetected);
        poller.start();
        QTRY_VERIFY(output.text().contains(QStringLiteral("[MonitorEngine] camera poller failed: ")));
        QTest::qWait(100);
        QCOMPARE(output.text().count(QStringLiteral("camera poller failed")), 1);
        QCOMPARE(output.text().count(QLatin1Char('\n')), 1);
        QCOMPARE(accesses.count(), 0);
        QVERIFY(!poller.cameraWasActive());
    }
};

QTEST_GUILESS_MAIN(CameraPollerTest)
#include "tst_camerapoller.moc"
