#include "platform/SwayBarEdge.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

namespace {

QByteArray workspaces(const char* rect, const char* output = "HEADLESS-1")
{
    return QStringLiteral(
               R"([{"name":"1","focused":false,"output":"OTHER","rect":{"x":0,"y":0,"width":10,"height":10}},
                             {"name":"2","focused":true,"output":"%1","rect":%2}])")
        .arg(QLatin1String(output), QLatin1String(rect))
        .toUtf8();
}

const QByteArray outputs =
    R"([{"name":"OTHER","rect":{"x":1366,"y":0,"width":1280,"height":1024}},
        {"name":"HEADLESS-1","rect":{"x":0,"y":0,"width":1366,"height":768}}])";

// A sway of its own on a socket: it answers each message with the reply given for its type, or
// with `garbage` when set.
class FakeSway : public QObject
{
public:
    explicit FakeSway(QMap<quint32, QByteArray> replies) : m_replies(std::move(replies))
    {
        m_server.listen(m_dir.filePath(QStringLiteral("sway-ipc.sock")));
        connect(&m_server, &QLocalServer::newConnection, this, [this] {
            QLocalSocket* client = m_server.nextPendingConnection();
            connect(client, &QLocalSocket::readyRead, client, [this, client] { answer(client); });
        });
    }
    QString path() const { return m_server.fullServerName(); }
    QList<quint32> asked;
    QByteArray garbage;

private:
    void answer(QLocalSocket* client)
    {
        m_buffer += client->readAll();
        while (m_buffer.size() >= 14) {
            quint32 length = 0;
            quint32 type = 0;
            std::memcpy(&length, m_buffer.constData() + 6, 4);
            std::memcpy(&type, m_buffer.constData() + 10, 4);
            m_buffer.remove(0, 14 + length);
            asked.append(type);
            client->write(garbage.isEmpty() ? SwayBarEdge::message(type, m_replies.value(type)) : garbage);
        }
    }

    QTemporaryDir m_dir;
    QLocalServer m_server;
    QMap<quint32, QByteArray> m_replies;
    QByteArray m_buffer;
};

} // namespace

// Which edge sway's bars hold, from what sway answers about the focused workspace and its output.
class SwayBarEdgeTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fromReplies_data()
    {
        QTest::addColumn<QByteArray>("workspaces");
        QTest::addColumn<std::optional<Qt::Edge>>("edge");
        const std::optional<Qt::Edge> none;
        QTest::newRow("bar at the top")
            << workspaces(R"({"x":0,"y":30,"width":1366,"height":738})") << std::optional(Qt::TopEdge);
        QTest::newRow("bar at the bottom")
            << workspaces(R"({"x":0,"y":0,"width":1366,"height":738})") << std::optional(Qt::BottomEdge);
        QTest::newRow("bar on the left")
            << workspaces(R"({"x":40,"y":0,"width":1326,"height":768})") << std::optional(Qt::LeftEdge);
        QTest::newRow("bar on the right")
            << workspaces(R"({"x":0,"y":0,"width":1326,"height":768})") << std::optional(Qt::RightEdge);
        QTest::newRow("two bars: the larger one")
            << workspaces(R"({"x":0,"y":20,"width":1366,"height":718})") << std::optional(Qt::BottomEdge);
        QTest::newRow("no bar") << workspaces(R"({"x":0,"y":0,"width":1366,"height":768})") << none;
        QTest::newRow("an output sway did not list")
            << workspaces(R"({"x":0,"y":30,"width":1366,"height":738})", "HDMI-9") << none;
        QTest::newRow("not JSON") << QByteArray("{{") << none;
        QTest::newRow("no focused workspace")
            << QByteArray(R"([{"focused":false,"output":"HEADLESS-1"}])") << none;
    }
    void fromReplies()
    {
        QFETCH(QByteArray, workspaces);
        QFETCH(std::optional<Qt::Edge>, edge);
        QCOMPARE(SwayBarEdge::fromReplies(workspaces, outputs), edge);
    }

    void asksSwayOverItsSocket()
    {
        FakeSway sway({{1, workspaces(R"({"x":0,"y":0,"width":1366,"height":738})")}, {3, outputs}});
        SwayBarEdge probe(sway.path());
        QVERIFY(probe.isAvailable());
        std::optional<std::optional<Qt::Edge>> first;
        std::optional<std::optional<Qt::Edge>> second;
        probe.ask([&first](std::optional<Qt::Edge> edge) { first = edge; });
        // A second question while the first is in flight shares its answer.
        probe.ask([&second](std::optional<Qt::Edge> edge) { second = edge; });
        QTRY_VERIFY(first.has_value() && second.has_value());
        QCOMPARE(*first, std::optional(Qt::BottomEdge));
        QCOMPARE(*second, std::optional(Qt::BottomEdge));
        QCOMPARE(sway.asked, (QList<quint32>{1, 3}));
        // And the next question asks again: bars move.
        std::optional<std::optional<Qt::Edge>> third;
        probe.ask([&third](std::optional<Qt::Edge> edge) { third = edge; });
        QTRY_VERIFY(third.has_value());
        QCOMPARE(sway.asked.size(), 4);
    }

    void anythingButSwayAnswersNothing_data()
    {
        QTest::addColumn<QString>("socket");
        QTest::addColumn<QByteArray>("garbage");
        QTest::newRow("no socket path (not sway)") << QString() << QByteArray();
        QTest::newRow("nobody listens") << QStringLiteral("/nonexistent/sway.sock") << QByteArray();
        QTest::newRow("not sway's magic")
            << QStringLiteral("fake") << QByteArray("HTTP/1.1 400 Bad Request\r\n\r\n");
        QTest::newRow("an absurd length")
            << QStringLiteral("fake") << QByteArray("i3-ipc\xff\xff\xff\x7f\x01\x00\x00\x00", 14);
    }
    void anythingButSwayAnswersNothing()
    {
        QFETCH(QString, socket);
        QFETCH(QByteArray, garbage);
        FakeSway sway({});
        sway.garbage = garbage;
        SwayBarEdge probe(socket == u"fake" ? sway.path() : socket);
        std::optional<std::optional<Qt::Edge>> answer;
        probe.ask([&answer](std::optional<Qt::Edge> edge) { answer = edge; });
        QTRY_VERIFY(answer.has_value());
        QCOMPARE(*answer, std::optional<Qt::Edge>());
    }
};

QTEST_GUILESS_MAIN(SwayBarEdgeTest)
#include "tst_swaybaredge.moc"
