#include "app/TranscriptRows.h"

#include <QTest>

// A long reply is shown in pieces the list view builds one by one.
class TranscriptRowsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void piecesOfALongReply_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("sizes");
        QStringList hundred;
        for (int i = 0; i < 100; ++i)
            hundred << QStringLiteral("line %1").arg(i, 2, 10, QLatin1Char('0')); // 7 characters each
        QTest::newRow("empty") << QString() << QList<int>{0};
        QTest::newRow("short") << "a\nb" << QList<int>{3};
        QTest::newRow("forty lines stay whole") << hundred.mid(0, 40).join('\n') << QList<int>{40 * 8 - 1};
        QTest::newRow("a hundred lines: 40, 40, 20")
            << hundred.join('\n') << QList<int>{40 * 8 - 1, 40 * 8 - 1, 20 * 8 - 1};
        QTest::newRow("one long line is cut by length")
            << QString(10000, 'x') << QList<int>{4096, 4096, 1808};
    }

    void piecesOfALongReply()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, sizes);
        const QStringList pieces = TranscriptRows::piecesOf(text);
        QList<int> actual;
        for (const QString& piece : pieces)
            actual << int(piece.size());
        QCOMPARE(actual, sizes);
        QVERIFY(text.startsWith(pieces.first()));
        QVERIFY(text.endsWith(pieces.last()));
    }

    void rowsKnowTheirMessage()
    {
        TranscriptRows rows;
        rows.append(CmdMessage::make(CmdMessage::Role::user, "help"));
        rows.append(CmdMessage::make(CmdMessage::Role::result, QString(100 * 8, 'x').replace(7, 1, "\n")));
        QStringList lines;
        for (int i = 0; i < 100; ++i)
            lines << QStringLiteral("line %1").arg(i);
        rows.append(CmdMessage::make(CmdMessage::Role::error, lines.join('\n')));
        QCOMPARE(rows.messages().size(), 3);
        QCOMPARE(rows.rowCount(), 1 + 1 + 3);
        auto at = [&](int row, int role) { return rows.data(rows.index(row), role); };
        QCOMPARE(at(0, TranscriptRows::RoleNameRole), "user");
        QCOMPARE(at(2, TranscriptRows::MessageIndexRole), 2);
        QCOMPARE(at(2, TranscriptRows::IsFirstPieceRole), true);
        QCOMPARE(at(3, TranscriptRows::IsFirstPieceRole), false);
        QCOMPARE(at(4, TranscriptRows::IsLastPieceRole), true);
        QCOMPARE(at(4, TranscriptRows::RoleNameRole), "error");
        QCOMPARE(at(4, TranscriptRows::ContentRole).toString().split('\n').first(), "line 80");
        QCOMPARE(at(4, TranscriptRows::MessageIdRole), rows.messages().at(2).id);
    }
};

QTEST_GUILESS_MAIN(TranscriptRowsTest)
#include "tst_transcriptrows.moc"
