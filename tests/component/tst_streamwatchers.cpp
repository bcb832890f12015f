#include "monitor/PipeWireStreamWatcher.h"
#include "monitor/PulseAudioStreamWatcher.h"
#include "support/FakeStreamFile.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

// One pw-dump document holding the given objects, pretty-printed the way pw-dump writes it.
QByteArray document(const QList<QByteArray>& objects)
{
    QByteArray text = "[\n";
    for (qsizetype i = 0; i < objects.size(); ++i)
        text += "  " + objects[i] + (i + 1 < objects.size() ? ",\n" : "\n");
    return text + "]\n";
}

QByteArray streamNode(int id, const char* state, const char* mediaClass, const char* binary,
                      const char* extra = "")
{
    return QStringLiteral(R"({"id": %1, "type": "PipeWire:Interface:Node", "info": {"state": "%2", "props": )"
                          R"({"media.class": "%3", "application.process.binary": "%4"%5}}})")
        .arg(id)
        .arg(QLatin1String(state), QLatin1String(mediaClass), QLatin1String(binary), QLatin1String(extra))
        .toUtf8();
}

QByteArray microphone(int id, const char* state, const char* binary)
{
    return streamNode(id, state, "Stream/Input/Audio", binary);
}

QStringList accessesOf(const QSignalSpy& spy)
{
    QStringList accesses;
    for (const QList<QVariant>& access : spy)
        accesses.append(access.at(0).toString() + QLatin1Char(':') + access.at(1).toString());
    return accesses;
}

// Waits until `documents` more documents were applied.
bool waitForDocuments(QSignalSpy& applied, int documents)
{
    const qsizetype target = applied.count() + documents;
    return QTest::qWaitFor([&] { return applied.count() >= target; });
}

// A fake pactl: "subscribe" follows the event stream, "-f json info" prints "info.json" (a real
// PulseAudio unless told otherwise), "-f json list sources" prints "sources.json", and "-f json list
// source-outputs" prints "outputs.json" and records LC_ALL and LANGUAGE as it saw them.
class FakePactl
{
public:
    FakePactl()
    {
        setOutputs("[]");
        setFile("sources.json", "[]");
        setFile("info.json", R"({"server_name": "pulseaudio", "server_version": "16.1"})");
        tool.setScriptBody(
            QStringLiteral(
                "case \"$1 $3 $4\" in\n"
                "  subscribe*) %1;;\n"
                "  *info*) cat '%2/info.json';;\n"
                "  *sources) cat '%2/sources.json';;\n"
                "  *) echo \"${LC_ALL:-unset}|${LANGUAGE:-unset}\" >> '%2/env'; cat '%2/outputs.json';;\n"
                "esac\n")
                .arg(events.followCommand().trimmed(), events.directory()));
    }

    void setOutputs(const QByteArray& json) { setFile("outputs.json", json); }

    void setFile(const char* name, const QByteArray& content)
    {
        QFile file(events.directory() + QLatin1Char('/') + QLatin1String(name));
        file.open(QIODevice::WriteOnly);
        file.write(content);
    }

    // The listings of source outputs.
    QList<QStringList> listCalls() const
    {
        QList<QStringList> calls = tool.calls();
        calls.removeIf([](const QStringList& call) { return call.value(3) != u"source-outputs"; });
        return calls;
    }

    QString environmentSeen() const
    {
        QFile file(events.directory() + QStringLiteral("/env"));
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll()).trimmed();
    }

    FakeStreamFile events;
    FakeTool tool{QStringLiteral("HALVEX_TOOL_PACTL")};
};

QByteArray sourceOutput(int index, bool corked, const char* binary)
{
    return QStringLiteral(
               R"({"index": %1, "corked": %2, "balance": 0.00, "properties": {"application.process.binary": "%3"}})")
        .arg(index)
        .arg(corked ? QStringLiteral("true") : QStringLiteral("false"), QLatin1String(binary))
        .toUtf8();
}

// A PipeWire watcher started on a fake pw-dump that prints what the test appends to its stream.
struct FakePipeWire
{
    FakePipeWire()
    {
        pwDump.setScriptBody(stream.followCommand());
        watcher.start();
    }

    FakeStreamFile stream;
    FakeTool pwDump{QStringLiteral("HALVEX_TOOL_PW_DUMP")};
    PipeWireStreamWatcher watcher{5s};
    QSignalSpy accesses{&watcher, &AccessSource::accessDetected};
    QSignalSpy applied{&watcher, &PipeWireStreamWatcher::documentApplied};
    QSignalSpy unavailable{&watcher, &DeviceWatcherPart::unavailable};
};

} // namespace

class StreamWatchersTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pipeWireReportsEachCaptureOnce()
    {
        FakePipeWire pipeWire;
        auto& [stream, pwDump, watcher, accesses, applied, unavailable] = pipeWire;

        stream.append(document({microphone(40, "running", "arecord"), microphone(41, "idle", "parecord"),
                                streamNode(42, "running", "Stream/Output/Audio", "mpv")}));
        QVERIFY(accesses.wait());
        QCOMPARE(accesses.first().at(2).value<std::optional<QString>>(),
                 std::optional<QString>(QStringLiteral("Recording through PipeWire (node 40)")));
        QCOMPARE(pwDump.calls(), QList<QStringList>{{"--monitor"}});

        // A second stream of the same application, and a change of the first: nothing new.
        stream.append(document({microphone(43, "running", "arecord"), microphone(40, "running", "arecord")}));
        QVERIFY(waitForDocuments(applied, 1));
        // The idle stream starts, a portal camera opens.
        stream.append(document(
            {microphone(41, "running", "parecord"),
             streamNode(44, "running", "Stream/Input/Video", "cheese", R"(, "media.role": "Camera")")}));
        QVERIFY(waitForDocuments(applied, 1));
        QCOMPARE(accessesOf(accesses),
                 (QStringList{"microphone:arecord", "microphone:parecord", "camera:cheese"}));

        // arecord's streams go away (one removed, one suspended) and come back.
        stream.append(document({R"({"id": 40, "info": null})", microphone(43, "suspended", "arecord")}));
        QVERIFY(waitForDocuments(applied, 1));
        stream.append(document({microphone(45, "running", "arecord")}));
        QVERIFY(waitForDocuments(applied, 1));
        QCOMPARE(accessesOf(accesses).count(QStringLiteral("microphone:arecord")), 2);
        QCOMPARE(unavailable.count(), 0);
    }

    void pipeWireSurvivesCutAndInvalidDocuments()
    {
        FakePipeWire pipeWire;
        auto& [stream, pwDump, watcher, accesses, applied, unavailable] = pipeWire;
        stream.append("[\n  {\n    \"id\": 40,\n    \"type\": \"PipeWire:Interface:Node\",\n"); // cut
        stream.append("[\n  {\"id\": 50, \"info\": {\"state\": \"running\",, }}\n]\n"); // invalid JSON
        stream.append("\x01\x02 binary noise \xff\n");
        stream.append(document({microphone(51, "running", "obs")}));
        QVERIFY(accesses.wait());
        QCOMPARE(applied.count(), 1);
        QCOMPARE(accessesOf(accesses), QStringList{"microphone:obs"});
    }

    void pipeWireRestartsAfterItWorked()
    {
        QTemporaryDir state;
        FakeTool pwDump(QStringLiteral("HALVEX_TOOL_PW_DUMP"));
        // The first run reports arecord and ends; the second still has arecord, and now obs too.
        const QByteArray first = document({microphone(40, "running", "arecord")});
        const QByteArray second =
            document({microphone(60, "running", "arecord"), microphone(61, "running", "obs")});
        pwDump.setScriptBody(
            QStringLiteral("if [ ! -f '%1/ran' ]; then touch '%1/ran'; printf '%2'; exit 0; fi\n"
                           "printf '%3'; exec sleep 30\n")
                .arg(state.path(), QString::fromUtf8(first), QString::fromUtf8(second)));
        PipeWireStreamWatcher watcher(5s);
        QSignalSpy accesses(&watcher, &AccessSource::accessDetected);
        QSignalSpy unavailable(&watcher, &DeviceWatcherPart::unavailable);
        watcher.start();
        QTRY_COMPARE_WITH_TIMEOUT(accessesOf(accesses), (QStringList{"microphone:arecord", "microphone:obs"}),
                                  10000);
        QCOMPARE(pwDump.calls().size(), 2);
        QCOMPARE(unavailable.count(), 0);
    }

    void pulseAudioListsOnStartAndOnEvents()
    {
        FakePactl pactl;
        pactl.setOutputs("[" + sourceOutput(3, false, "audacity") + "," + sourceOutput(4, true, "paused") +
                         "]");
        qputenv("LC_ALL", "de_DE.UTF-8");
        qputenv("LANGUAGE", "de:fr");
        PulseAudioStreamWatcher watcher(5s);
        QSignalSpy accesses(&watcher, &AccessSource::accessDetected);
        QSignalSpy listed(&watcher, &PulseAudioStreamWatcher::listApplied);
        watcher.start();
        QVERIFY(accesses.wait());
        QCOMPARE(accessesOf(accesses), QStringList{"microphone:audacity"});
        QCOMPARE(pactl.listCalls().first(), (QStringList{"-f", "json", "list", "source-outputs"}));
        QTRY_VERIFY(pactl.tool.calls().contains(QStringList{"subscribe"}));
        QTRY_COMPARE(listed.count(), 2); // the start's second listing
        QCOMPARE(pactl.environmentSeen(), QStringLiteral("C|unset\nC|unset"));
        qunsetenv("LC_ALL");
        qunsetenv("LANGUAGE");

        // Events of other facilities list nothing; a source-output event lists again.
        pactl.setOutputs("[" + sourceOutput(3, false, "audacity") + "," + sourceOutput(4, false, "paused") +
                         "]");
        pactl.events.append("Event 'change' on sink #0\nEvent 'new' on client #9\n");
        pactl.events.append("Event 'change' on source-output #4\n");
        QVERIFY(accesses.wait());
        QCOMPARE(accessesOf(accesses), (QStringList{"microphone:audacity", "microphone:paused"}));
        QCOMPARE(pactl.listCalls().size(), 3);

        // Everything stops, then audacity records again.
        pactl.setOutputs("[]");
        pactl.events.append("Event 'remove' on source-output #3\n");
        QVERIFY(listed.wait());
        pactl.setOutputs("[" + sourceOutput(7, false, "audacity") + "]");
        pactl.events.append("Event 'new' on source-output #7\n");
        QVERIFY(accesses.wait());
        QCOMPARE(accessesOf(accesses).count(QStringLiteral("microphone:audacity")), 2);
    }

    void pulseAudioFindsARecordingThatBeganBeforeTheSubscriptionHeld()
    {
        FakePactl pactl;
        PulseAudioStreamWatcher watcher(5s);
        QSignalSpy accesses(&watcher, &AccessSource::accessDetected);
        QSignalSpy listed(&watcher, &PulseAudioStreamWatcher::listApplied);
        watcher.start();
        QVERIFY(listed.wait());
        // audacity starts after the first listing and no event tells of it.
        pactl.setOutputs("[" + sourceOutput(3, false, "audacity") + "]");
        QVERIFY(accesses.wait());
        QCOMPARE(accessesOf(accesses), QStringList{"microphone:audacity"});
        // Then the watcher is quiet until something happens.
        QTest::qWait(int(2 * PulseAudioStreamWatcher::settleDelay.count()));
        QCOMPARE(pactl.listCalls().size(), 2);
    }

    void pulseAudioKeepsItsStateOverAGarbledListing()
    {
        FakePactl pactl;
        pactl.setOutputs("[" + sourceOutput(3, false, "audacity") + "]");
        PulseAudioStreamWatcher watcher(5s);
        QSignalSpy accesses(&watcher, &AccessSource::accessDetected);
        QSignalSpy unavailable(&watcher, &DeviceWatcherPart::unavailable);
        watcher.start();
        QVERIFY(accesses.wait());
        QTRY_VERIFY(pactl.tool.calls().contains(QStringList{"subscribe"}));
        QTRY_COMPARE(pactl.listCalls().size(), 2); // the start's second listing

        // A listing pactl wrote with a decimal comma, then the same stream listed properly.
        pactl.setOutputs(R"([{"index": 3, "corked": false, "balance": 0,00, "properties": {}}])");
        pactl.events.append("Event 'change' on source-output #3\n");
        QTRY_COMPARE(pactl.listCalls().size(), 3);
        pactl.setOutputs("[" + sourceOutput(3, false, "audacity") + "]");
        pactl.events.append("Event 'change' on source-output #3\n");
        QTRY_COMPARE(pactl.listCalls().size(), 4);
        QTest::qWait(100);
        QCOMPARE(accesses.count(), 1);
        QCOMPARE(unavailable.count(), 0);
    }

    void toolAbsence_data()
    {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("script"); // empty: no such tool
        QTest::addColumn<QString>("reason");
        const QString pwDump = QStringLiteral("HALVEX_TOOL_PW_DUMP");
        const QString pactl = QStringLiteral("HALVEX_TOOL_PACTL");
        QTest::newRow("pw-dump missing") << pwDump << QString() << "pw-dump: ";
        QTest::newRow("pw-dump cannot connect")
            << pwDump << "echo \"can't connect: Host is down\" >&2\nexit 255\n"
            << "pw-dump ended without a first answer";
        QTest::newRow("pw-dump hangs") << pwDump << "exec sleep 30\n"
                                       << "pw-dump gave no answer within 300 ms";
        QTest::newRow("pactl missing") << pactl << QString() << "pactl: ";
        QTest::newRow("no PulseAudio server")
            << pactl << "echo 'Connection failure: Connection refused' >&2\nexit 1\n"
            << "pactl exited with status 1";
        QTest::newRow("pactl listing hangs") << pactl << "exec sleep 30\n"
                                             << "pactl gave no answer in time";
    }

    void toolAbsence()
    {
        QFETCH(QString, variable);
        QFETCH(QString, script);
        QFETCH(QString, reason);
        FakeTool tool(variable);
        tool.setScriptBody(script);
        QTemporaryDir empty;
        if (script.isEmpty())
            qputenv(variable.toLatin1().constData(),
                    (empty.path() + QStringLiteral("/missing-tool")).toUtf8());
        std::unique_ptr<DeviceWatcherPart> watcher;
        if (variable.contains(u"PW_DUMP"))
            watcher = std::make_unique<PipeWireStreamWatcher>(300ms);
        else
            watcher = std::make_unique<PulseAudioStreamWatcher>(300ms);
        QSignalSpy unavailable(watcher.get(), &DeviceWatcherPart::unavailable);
        QSignalSpy accesses(watcher.get(), &AccessSource::accessDetected);
        watcher->start();
        QVERIFY(unavailable.wait());
        QVERIFY2(unavailable.first().first().toString().startsWith(reason),
                 qPrintable(unavailable.first().first().toString()));
        QTest::qWait(100);
        QCOMPARE(unavailable.count(), 1);
        QCOMPARE(accesses.count(), 0);
    }
};

QTEST_GUILESS_MAIN(StreamWatchersTest)
#include "tst_streamwatchers.moc"
