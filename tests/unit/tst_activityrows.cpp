#include "app/ActivityRows.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace {

// Rows named by their ids; a "*" after an id marks the row as blocked.
QList<ActivityRows::Row> rowsOf(const QStringList& ids)
{
    QList<ActivityRows::Row> rows;
    for (QString id : ids) {
        const bool blocked = id.endsWith(u'*');
        if (blocked)
            id.chop(1);
        rows.append({id, "📹", id + " used your camera", {}, "1 min. ago", {}, blocked, false});
    }
    return rows;
}

QStringList idsOf(const ActivityRows& model)
{
    QStringList ids;
    for (int i = 0; i < model.rowCount(); ++i) {
        const QModelIndex index = model.index(i);
        ids << model.data(index, ActivityRows::GroupIdRole).toString() +
                   (model.data(index, ActivityRows::BlockedRole).toBool() ? "*" : "");
    }
    return ids;
}

} // namespace

// The activity rows follow each new list with the fewest row changes, and stay a consistent model.
class ActivityRowsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void followsEachList_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("inserted");
        QTest::addColumn<int>("moved");
        QTest::addColumn<int>("removed");
        QTest::addColumn<int>("changed");
        QTest::newRow("a new access on top") << QStringList{"a", "b", "c", "d", "e"}
                                             << QStringList{"n", "a", "b", "c", "d"} << 1 << 0 << 1 << 0;
        QTest::newRow("an older group comes up")
            << QStringList{"a", "b", "c"} << QStringList{"c", "a", "b"} << 0 << 1 << 0 << 0;
        QTest::newRow("same list") << QStringList{"a", "b"} << QStringList{"a", "b"} << 0 << 0 << 0 << 0;
        QTest::newRow("one row blocked")
            << QStringList{"a", "b"} << QStringList{"a", "b*"} << 0 << 0 << 0 << 1;
        QTest::newRow("expanded") << QStringList{"a", "b"} << QStringList{"a", "b", "c", "d"} << 2 << 0 << 0
                                  << 0;
        QTest::newRow("cleared") << QStringList{"a", "b", "c"} << QStringList{} << 0 << 0 << 1 << 0;
        QTest::newRow("from empty") << QStringList{} << QStringList{"a", "b"} << 2 << 0 << 0 << 0;
        QTest::newRow("reversed") << QStringList{"a", "b", "c"} << QStringList{"c", "b", "a"} << 0 << 2 << 0
                                  << 0;
    }
    void followsEachList()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(int, inserted);
        QFETCH(int, moved);
        QFETCH(int, removed);
        QFETCH(int, changed);
        ActivityRows model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setRows(rowsOf(before));
        QCOMPARE(idsOf(model), before);

        QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy moves(&model, &QAbstractItemModel::rowsMoved);
        QSignalSpy removals(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        model.setRows(rowsOf(after));
        QCOMPARE(idsOf(model), after);
        QCOMPARE(inserts.size(), inserted);
        QCOMPARE(moves.size(), moved);
        QCOMPARE(removals.size(), removed);
        QCOMPARE(changes.size(), changed);
        QCOMPARE(resets.size(), 0);
    }

    void rolesByName()
    {
        ActivityRows model;
        model.setRows({{"zoom|camera", "📹", "Zoom used your camera", "Video calls", "2 min. ago", "3 times",
                        true, false}});
        const QHash<int, QByteArray> names = model.roleNames();
        const QModelIndex row = model.index(0);
        QCOMPARE(model.data(row, names.key("groupId")).toString(), "zoom|camera");
        QCOMPARE(model.data(row, names.key("sentence")).toString(), "Zoom used your camera");
        QCOMPARE(model.data(row, names.key("desc")).toString(), "Video calls");
        QCOMPARE(model.data(row, names.key("time")).toString(), "2 min. ago");
        QCOMPARE(model.data(row, names.key("times")).toString(), "3 times");
        QCOMPARE(model.data(row, names.key("blocked")).toBool(), true);
        QCOMPARE(model.data(row, names.key("blocking")).toBool(), false);
        QVERIFY(!model.data(model.index(1), names.key("groupId")).isValid());
    }
};

QTEST_GUILESS_MAIN(ActivityRowsTest)
#include "tst_activityrows.moc"
