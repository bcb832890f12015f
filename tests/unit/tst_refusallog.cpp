#include "http/RefusalLog.h"

#include <QTest>

using namespace std::chrono_literals;

// The refusals of other users' connections as the log tells them: a user's first at once, the rest of
// the minute counted into one line at its end.
class RefusalLogTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_lines.clear(); }

    void oneLineAtOnceThenTheCountOnce()
    {
        RefusalLog log(300ms, [this](const QString& line) { m_lines.append(line); });
        log.refused(1001, 40000);
        QCOMPARE(m_lines,
                 (QStringList{
                     "[halvexd] refused a connection from another user's socket (uid 1001, port 40000)"}));
        for (int i = 0; i < 3; ++i)
            log.refused(1001, quint16(40001 + i));
        log.refused(std::nullopt, 40100);
        log.refused(1002, 40200);
        QCOMPARE(m_lines.size(), 3); // the first of each user only
        QCOMPARE(m_lines[1],
                 "[halvexd] refused a connection from another user's socket (owner unknown, port 40100)");
        QCOMPARE(m_lines[2],
                 "[halvexd] refused a connection from another user's socket (uid 1002, port 40200)");

        // At the end of the window: the count of each user refused again meanwhile, and only those.
        QTRY_COMPARE(m_lines.size(), 4);
        QCOMPARE(m_lines[3],
                 "[halvexd] refused 3 more connections from another user's sockets (uid 1001) in the "
                 "last minute");
        log.refused(1001, 40300); // counted into the window the count opened
        QTRY_COMPARE(m_lines.size(), 5);
        QCOMPARE(m_lines[4],
                 "[halvexd] refused 1 more connection from another user's sockets (uid 1001) in the "
                 "last minute");

        // A quiet window closes the user's count: the next refusal is told at once again.
        QTest::qWait(700);
        QCOMPARE(m_lines.size(), 5);
        log.refused(1001, 40400);
        QCOMPARE(m_lines.size(), 6);
        QVERIFY(m_lines[5].endsWith("(uid 1001, port 40400)"));
    }

private:
    QStringList m_lines;
};

QTEST_GUILESS_MAIN(RefusalLogTest)
#include "tst_refusallog.moc"
