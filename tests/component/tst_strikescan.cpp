#include "app/StrikeScan.h"

#include <QPointer>
#include <QTest>
#include <QTimer>

namespace {

// A backend that keeps every command until the test answers it, in whatever order.
struct HeldReplies
{
    struct Call
    {
        QString command;
        QPointer<QObject> context;
        StrikeScan::Reply reply;
    };
    QList<Call> calls;

    StrikeScan::Sender sender()
    {
        return [this](const QString& command, QObject* context, StrikeScan::Reply reply) {
            calls.append({command, context, std::move(reply)});
        };
    }
    // Answers like the real client: later, on the event loop, and only while the context lives.
    void answer(int index, std::optional<QString> text)
    {
        Call call = calls.at(index);
        QTimer::singleShot(0, [call, text] {
            if (call.context)
                call.reply(text);
        });
    }
};

QStringList statuses(const StrikeScan& scan)
{
    QStringList names;
    for (const StrikeScan::Task& task : scan.taskList())
        names << StrikeScan::statusName(task.status);
    return names;
}

const QStringList scanIds{"rootkit-scanner", "keylogger-detector", "network-sniff-detector",
                          "dns-leak-test",   "clipboard-monitor",  "process-list"};

} // namespace

// The six threat scans: sent at once, applied in arrival order, gated "Activate Paranoid", and late
// replies dropped with the sheet.
class StrikeScanTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sixScansStartAtOnceAndWait()
    {
        HeldReplies backend;
        StrikeScan scan(backend.sender(), [](const QString&) {});
        QCOMPARE(statuses(scan), QStringList(6, "waiting"));
        QCOMPARE(scan.taskList().at(1).emoji, QString::fromUtf8("⌨️"));
        QCOMPARE(scan.taskList().at(5).name, "Process Audit");
        scan.runAllScans();
        QStringList sent;
        for (const auto& call : backend.calls)
            sent << call.command;
        QCOMPARE(sent, scanIds);
        QCOMPARE(statuses(scan), QStringList(6, "running"));
        QVERIFY(scan.isRunning());
        QVERIFY(scan.showProgress());
        scan.runAllScans(); // already under way: nothing more is sent
        QCOMPARE(backend.calls.size(), 6);
    }

    void repliesInReverseUpdateRowsInArrivalOrder()
    {
        HeldReplies backend;
        QStringList applied;
        StrikeScan scan(backend.sender(), [&applied](const QString& profile) { applied << profile; });
        QList<int> order;
        connect(&scan, &StrikeScan::taskFinished, &scan, [&order](int index) { order << index; });
        scan.runAllScans();

        const QString longFinding = QString(125, u'x') + QStringLiteral(" keylogger");
        const std::optional<QString> replies[] = {
            QStringLiteral("Rootkit checks: none found"),
            longFinding,
            QStringLiteral("Interfaces in promiscuous mode: none"),
            QStringLiteral("DNS leak suspected: 8.8.8.8 answers outside the tunnel"),
            std::nullopt, // no reply at all: clean, no result
            QStringLiteral("Error: Could not connect to the server."),
        };
        for (int i = 5; i >= 0; --i) {
            QVERIFY(!scan.canActivateParanoid());
            scan.activateParanoid(); // refused until the sixth reply
            QVERIFY(applied.isEmpty());
            QVERIFY(!scan.allFinished());
            backend.answer(i, replies[i]);
            QTRY_COMPARE(scan.finishedCount(), 6 - i);
            QCOMPARE(scan.showProgress(), i > 0);
        }
        QCOMPARE(order, (QList<int>{5, 4, 3, 2, 1, 0}));
        QCOMPARE(statuses(scan), (QStringList{"clean", "threat", "clean", "threat", "clean", "clean"}));
        QCOMPARE(scan.taskList().at(1).result, longFinding.left(120)); // cut, yet a threat
        QCOMPARE(scan.taskList().at(4).result, std::nullopt);
        QCOMPARE(scan.taskList().at(5).result, "Error: Could not connect to the server.");
        QVERIFY(!scan.isRunning());
        QVERIFY(scan.allFinished());

        QVERIFY(scan.canActivateParanoid());
        scan.activateParanoid();
        QCOMPARE(applied, QStringList{"paranoid"});
        QVERIFY(scan.paranoidActivated());
        QVERIFY(!scan.canActivateParanoid());
        scan.activateParanoid();
        QCOMPARE(applied.size(), 1);
    }

    void repliesAfterTheSheetIsGoneAreDropped()
    {
        HeldReplies backend;
        auto scan = std::make_unique<StrikeScan>(backend.sender(), [](const QString&) {});
        scan->runAllScans();
        backend.answer(0, QStringLiteral("clean: none"));
        QTRY_COMPARE(scan->finishedCount(), 1);
        scan.reset();
        for (int i = 1; i < 6; ++i)
            backend.answer(i, QStringLiteral("rootkit found"));
        QTest::qWait(20); // the late replies reach no one, and nothing breaks
        QVERIFY(std::ranges::all_of(backend.calls.mid(1),
                                    [](const auto& call) { return call.context.isNull(); }));
    }
};

QTEST_MAIN(StrikeScanTest)
#include "tst_strikescan.moc"
