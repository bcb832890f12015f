#include "monitor/ActiveApps.h"
#include "monitor/CaptureStreamTracker.h"
#include "monitor/PipeWireDumpSplitter.h"
#include "monitor/PipeWireGraph.h"
#include "monitor/PulseSourceOutputs.h"

#include <QJsonDocument>
#include <QTest>

namespace {

QList<QByteArray> documentsOf(const QByteArray& text)
{
    PipeWireDumpSplitter splitter;
    QList<QByteArray> documents;
    for (const QByteArray& line : text.split('\n')) {
        if (auto document = splitter.feed(line))
            documents.append(*document);
    }
    return documents;
}

QJsonArray array(const char* json)
{
    return QJsonDocument::fromJson(json).array();
}

// A stream node as pw-dump writes it.
QByteArray node(int id, const char* state, const char* props)
{
    return QStringLiteral(
               R"({"id": %1, "type": "PipeWire:Interface:Node", "info": {"state": "%2", "props": {%3}}})")
        .arg(id)
        .arg(QLatin1String(state), QLatin1String(props))
        .toUtf8();
}

QList<CaptureStream> streamsAfter(const QList<QByteArray>& documents)
{
    PipeWireGraph graph;
    for (const QByteArray& document : documents)
        graph.apply(QJsonDocument::fromJson(document).array());
    return graph.runningCaptureStreams();
}

} // namespace

class CaptureStreamsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void splitterFindsPrettyPrintedDocuments()
    {
        const QByteArray stream = "[\n"
                                  "  {\n"
                                  "    \"id\": 0,\n"
                                  "    \"permissions\": [ \"r\", \"x\" ],\n"
                                  "    \"info\": {\n"
                                  "    }\n"
                                  "  }\n"
                                  "]\n"
                                  "[\n"
                                  "  {\n"
                                  "    \"id\": 76,\n"
                                  "    \"info\": null\n"
                                  "  }\n"
                                  "]\n";
        const QList<QByteArray> documents = documentsOf(stream);
        QCOMPARE(documents.size(), 2);
        QCOMPARE(QJsonDocument::fromJson(documents[0]).array().first()[u"id"].toInt(), 0);
        QVERIFY(QJsonDocument::fromJson(documents[1]).array().first()[u"info"].isNull());
    }

    void splitterDropsCutAndStrayText()
    {
        const QByteArray stream = "garbage before\n"
                                  "[\n"
                                  "  {\n"
                                  "    \"id\": 1,\n" // cut here: pw-dump died mid-object
                                  "[\n"
                                  "  {\"id\": 2}\n"
                                  "]\n"
                                  "  stray indented text\n"
                                  "[{\"id\": 3}]\n"
                                  "[]\n";
        const QList<QByteArray> documents = documentsOf(stream);
        QCOMPARE(documents.size(), 3);
        QCOMPARE(QJsonDocument::fromJson(documents[0]).array().first()[u"id"].toInt(), 2);
        QCOMPARE(QJsonDocument::fromJson(documents[1]).array().first()[u"id"].toInt(), 3);
        QCOMPARE(documents[2], QByteArray("[]"));
    }

    void splitterDropsAnOversizedDocument()
    {
        PipeWireDumpSplitter splitter;
        QVERIFY(!splitter.feed("["));
        const QByteArray line(1024 * 1024, ' ');
        for (int i = 0; i < 70; ++i)
            QVERIFY(!splitter.feed(line));
        QVERIFY(!splitter.feed("]")); // the document was dropped; this closes nothing
        QCOMPARE(splitter.feed("[]"), std::optional<QByteArray>("[]"));
    }

    void classifiesStreams_data()
    {
        QTest::addColumn<QByteArray>("props");
        QTest::addColumn<QString>("type"); // empty: not a capture stream
        QTest::addColumn<QString>("app");
        QTest::newRow("microphone")
            << QByteArray(
                   R"("media.class": "Stream/Input/Audio", "application.process.binary": "arecord", "application.name": "ALSA")")
            << "microphone"
            << "arecord";
        QTest::newRow("name when no binary")
            << QByteArray(R"("media.class": "Stream/Input/Audio", "application.name": "Firefox")")
            << "microphone"
            << "Firefox";
        QTest::newRow("portal app id wins")
            << QByteArray(
                   R"("media.class": "Stream/Input/Audio", "application.process.binary": "gnome-shell", "pipewire.access.portal.app_id": "org.example.Spy")")
            << "microphone"
            << "org.example.Spy";
        QTest::newRow("portal camera")
            << QByteArray(
                   R"("media.class": "Stream/Input/Video", "media.role": "Camera", "application.process.binary": "cheese")")
            << "camera"
            << "cheese";
        QTest::newRow("screencast is no camera")
            << QByteArray(R"("media.class": "Stream/Input/Video", "media.role": "Screen")") << ""
            << "";
        QTest::newRow("playback") << QByteArray(R"("media.class": "Stream/Output/Audio")") << ""
                                  << "";
        QTest::newRow("a device node") << QByteArray(R"("media.class": "Audio/Source")") << ""
                                       << "";
        QTest::newRow("monitor stream")
            << QByteArray(R"("media.class": "Stream/Input/Audio", "stream.monitor": true)") << ""
            << "";
        QTest::newRow("sink capture")
            << QByteArray(R"("media.class": "Stream/Input/Audio", "stream.capture.sink": "true")") << ""
            << "";
        QTest::newRow("level meter")
            << QByteArray(R"("media.class": "Stream/Input/Audio", "media.name": "Peak detect")") << ""
            << "";
        QTest::newRow("nameless") << QByteArray(
                                         R"("media.class": "Stream/Input/Audio", "application.name": "  ")")
                                  << "microphone"
                                  << "Unknown App";
    }

    void classifiesStreams()
    {
        QFETCH(QByteArray, props);
        QFETCH(QString, type);
        QFETCH(QString, app);
        const QList<CaptureStream> streams = streamsAfter({"[" + node(50, "running", props) + "]"});
        if (type.isEmpty()) {
            QVERIFY(streams.isEmpty());
            return;
        }
        QCOMPARE(streams.size(), 1);
        QCOMPARE(streams.first().type, type);
        QCOMPARE(streams.first().app, app);
        QVERIFY(streams.first().details.contains(QStringLiteral("node 50")));
    }

    void onlyRunningNodesCount()
    {
        const QByteArray mic = R"("media.class": "Stream/Input/Audio", "application.process.binary": "rec")";
        QVERIFY(streamsAfter({"[" + node(7, "idle", mic) + "]"}).isEmpty());
        QCOMPARE(streamsAfter({"[" + node(7, "idle", mic) + "]", "[" + node(7, "running", mic) + "]"}).size(),
                 1);
        QVERIFY(
            streamsAfter({"[" + node(7, "running", mic) + "]", R"([{"id": 7, "info": null}])"}).isEmpty());
        QVERIFY(streamsAfter({"[" + node(7, "running", mic) + "]", "[" + node(7, "suspended", mic) + "]"})
                    .isEmpty());
    }

    void applicationFromTheClient()
    {
        const QByteArray client =
            R"({"id": 30, "type": "PipeWire:Interface:Client", "info": {"props": {"pipewire.access.portal.app_id": "com.example.Flat", "application.process.binary": "flat"}}})";
        const QList<CaptureStream> streams = streamsAfter(
            {"[" + client + "," +
             node(31, "running", R"("media.class": "Stream/Input/Audio", "client.id": 30)") + "]"});
        QCOMPARE(streams.size(), 1);
        QCOMPARE(streams.first().app, QStringLiteral("com.example.Flat"));
    }

    void graphIgnoresMalformedEntries()
    {
        PipeWireGraph graph;
        graph.apply(array(
            R"([1, "x", {"type": "PipeWire:Interface:Node"}, {"id": "7"}, {"id": 2.5}, {"id": 4, "info": 3}])"));
        QCOMPARE(graph.size(), 1); // only id 4, an object with nothing useful
        QVERIFY(graph.runningCaptureStreams().isEmpty());
    }

    void pulseSourceOutputs()
    {
        const QByteArray listing = R"([
            {"index": 12, "corked": false, "balance": 0.00,
             "properties": {"application.name": "Audacity", "application.process.binary": "audacity"}},
            {"index": 13, "corked": true, "properties": {"application.process.binary": "paused"}},
            {"index": 14, "corked": false, "properties": {"application.name": "PulseAudio Volume Control",
             "media.name": "Peak detect"}},
            {"index": 15, "corked": false, "properties": {}}
        ])";
        const auto streams = PulseSourceOutputs::parse(listing);
        QVERIFY(streams);
        QCOMPARE(streams->size(), 2);
        QCOMPARE(streams->at(0).app, "audacity");
        QCOMPARE(streams->at(0).streamName, "Audacity");
        QCOMPARE(streams->at(0).details, "Recording through PulseAudio (source output #12)");
        QCOMPARE(streams->at(1).app, "Unknown App");
        QCOMPARE(streams->at(1).details, "Recording through PulseAudio (source output #15)");
        // A listing written with a decimal comma (LC_NUMERIC not C) is no JSON.
        QVERIFY(!PulseSourceOutputs::parse(R"([{"index": 1, "balance": 0,00}])"));
        QVERIFY(!PulseSourceOutputs::parse("{}"));
        QCOMPARE(PulseSourceOutputs::parse("[]"),
                 std::optional<QList<CaptureStream>>(QList<CaptureStream>()));
    }

    void activeAppsReportsStartsOnly()
    {
        ActiveApps apps;
        QCOMPARE(apps.update({"zoom", "zoom", "ffmpeg"}), (QStringList{"zoom", "ffmpeg"}));
        QCOMPARE(apps.update({"ffmpeg", "zoom"}), QStringList());
        QCOMPARE(apps.update({"ffmpeg"}), QStringList());
        QCOMPARE(apps.update({"ffmpeg", "zoom"}), QStringList{"zoom"});
        apps.clear();
        QCOMPARE(apps.update({"ffmpeg"}), QStringList{"ffmpeg"});
    }

    void trackerReportsEachAppAndTypeOnce()
    {
        CaptureStreamTracker tracker;
        const CaptureStream micA{"microphone", "a", "first"};
        const CaptureStream micA2{"microphone", "a", "second"};
        const CaptureStream camA{"camera", "a", "cam"};
        const CaptureStream micB{"microphone", "b", "b"};
        QCOMPARE(tracker.update({micA, micA2}), QList<CaptureStream>{micA});
        QCOMPARE(tracker.update({micA2, camA}), QList<CaptureStream>{camA});
        QCOMPARE(tracker.update({micB}), QList<CaptureStream>{micB});
        // "a" released both: it starts again.
        QCOMPARE(tracker.update({micB, micA2, camA}), (QList<CaptureStream>{micA2, camA}));
        QCOMPARE(tracker.update({}), QList<CaptureStream>());
        QCOMPARE(tracker.update({micB}), QList<CaptureStream>{micB});
    }
};

QTEST_GUILESS_MAIN(CaptureStreamsTest)
#include "tst_capturestreams.moc"
