#include "app/CommandHistory.h"
#include "platform/Settings.h"
#include "support/TestEnvironment.h"

#include <QTest>

// The console's typed-line history: what is kept, what is stored under "cmdHistory", and what the
// arrow keys put into the input line.
class CommandHistoryTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Each step is "save:<text>", "up" or "down"; `shown` lists, per step, the input line's text after
    // it, or "-" when the step leaves the line alone.
    void steps_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("index");

        const QStringList abc{"a", "b", "c"};
        QTest::newRow("repeat of the newest is kept once")
            << QStringList() << QStringList{"save:ls", "save:ls"} << QStringList{"-", "-"}
            << QStringList{"ls"} << -1;
        QTest::newRow("A, B, A keeps three")
            << QStringList() << QStringList{"save:A", "save:B", "save:A"} << QStringList{"-", "-", "-"}
            << QStringList{"A", "B", "A"} << -1;
        QTest::newRow("up on an empty history does nothing")
            << QStringList() << QStringList{"up", "down"} << QStringList{"-", "-"} << QStringList() << -1;
        QTest::newRow("up, up: newest, then second newest")
            << abc << QStringList{"up", "up"} << QStringList{"c", "b"} << abc << 1;
        QTest::newRow("up at the oldest stays there")
            << abc << QStringList{"up", "up", "up", "up"} << QStringList{"c", "b", "a", "a"} << abc << 0;
        QTest::newRow("down walks back to the newest")
            << abc << QStringList{"up", "up", "up", "down"} << QStringList{"c", "b", "a", "b"} << abc << 1;
        QTest::newRow("down past the newest clears and stops browsing")
            << abc << QStringList{"up", "down", "up"} << QStringList{"c", "", "c"} << abc << 2;
        QTest::newRow("down while not browsing does nothing")
            << abc << QStringList{"down"} << QStringList{"-"} << abc << -1;
        QTest::newRow("a new line stops browsing")
            << abc << QStringList{"up", "up", "save:d", "up"} << QStringList{"c", "b", "-", "d"}
            << QStringList{"a", "b", "c", "d"} << 3;
        QTest::newRow("a repeat leaves the browsing position")
            << abc << QStringList{"up", "up", "save:c", "up"} << QStringList{"c", "b", "-", "a"} << abc << 0;
    }

    void steps()
    {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, entries);
        QFETCH(int, index);
        TemporaryHome home;
        if (!stored.isEmpty())
            Settings().setCmdHistory(stored);

        CommandHistory history;
        QCOMPARE(history.entries(), stored);
        for (qsizetype i = 0; i < steps.size(); ++i) {
            const QString& step = steps[i];
            std::optional<QString> text;
            if (step.startsWith("save:"))
                history.save(step.mid(5));
            else
                text = step == "up" ? history.up() : history.down();
            QCOMPARE(text.value_or("-"), shown[i]);
        }
        QCOMPARE(history.entries(), entries);
        QCOMPARE(history.index(), index);
        QCOMPARE(Settings().cmdHistory(), entries);
    }

    void keepsTheNewestFifty()
    {
        TemporaryHome home;
        CommandHistory history;
        for (int i = 1; i <= 51; ++i)
            history.save(QStringLiteral("line %1").arg(i));
        QCOMPARE(history.entries().size(), 50);
        QCOMPARE(history.entries().first(), "line 2");
        QCOMPARE(history.entries().last(), "line 51");
        const QStringList stored = Settings().cmdHistory();
        QCOMPARE(stored, history.entries());
        // A new console reads what the last one stored.
        QCOMPARE(CommandHistory().entries(), stored);
    }
};

QTEST_GUILESS_MAIN(CommandHistoryTest)
#include "tst_commandhistory.moc"
