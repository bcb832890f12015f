#include "monitor/AlertJournalEntry.h"

#include <QTest>

namespace {

QHash<QByteArray, QByteArray> fieldsOf(const SystemJournal::Entry& entry)
{
    QHash<QByteArray, QByteArray> fields;
    for (const QByteArray& field : entry) {
        const qsizetype equals = field.indexOf('=');
        fields.insert(field.left(equals), field.mid(equals + 1));
    }
    return fields;
}

} // namespace

class AlertJournalEntryTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fieldsOfOneAlert_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("app");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("priority");
        QTest::addColumn<QByteArray>("risk");
        QTest::newRow("camera of an unknown application")
            << "camera"
            << "Xos" << QByteArray("Xos is using your camera") << QByteArray("4") << QByteArray("danger");
        QTest::newRow("microphone of a video-call application")
            << "microphone"
            << "zoom.us" << QByteArray("zoom.us is using your microphone") << QByteArray("6")
            << QByteArray("normal");
        QTest::newRow("location") << "location"
                                  << "Maps" << QByteArray("Maps accessed your location") << QByteArray("5")
                                  << QByteArray("unusual");
        QTest::newRow("camera of a system component")
            << "camera"
            << "VDCAssistant" << QByteArray("VDCAssistant is using your camera") << QByteArray("6")
            << QByteArray("normal");
        QTest::newRow("screen capture of an unknown tool")
            << "screen"
            << "grabber" << QByteArray("grabber — screen") << QByteArray("4") << QByteArray("danger");
    }

    void fieldsOfOneAlert()
    {
        QFETCH(QString, type);
        QFETCH(QString, app);
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, priority);
        QFETCH(QByteArray, risk);
        const SecurityAlert alert{type, app, QString(), QStringLiteral("2026-12-10T09:15:42.517Z"), "line"};
        const SystemJournal::Entry entry = AlertJournalEntry::forAlert(alert);
        const QHash<QByteArray, QByteArray> fields = fieldsOf(entry);
        QCOMPARE(fields.size(), entry.size()); // no field twice
        QCOMPARE(fields.value("MESSAGE"), message);
        QCOMPARE(fields.value("PRIORITY"), priority);
        QCOMPARE(fields.value("HALVEX_RISK"), risk);
        QCOMPARE(fields.value("MESSAGE_ID"), QByteArray("832f6fea51244b228bbf1345db1e6aa2"));
        QCOMPARE(fields.value("SYSLOG_IDENTIFIER"), QByteArray("halvex"));
        QCOMPARE(fields.value("HALVEX_TYPE"), type.toUtf8());
        QCOMPARE(fields.value("HALVEX_APP"), app.toUtf8());
        QCOMPARE(fields.value("HALVEX_TIMESTAMP"), QByteArray("2026-12-10T09:15:42.517Z"));
        QCOMPARE(fields.size(), 8);
    }

    void prioritiesFollowSyslog()
    {
        QCOMPARE(AlertJournalEntry::priority(RiskLevel::danger), 4);
        QCOMPARE(AlertJournalEntry::priority(RiskLevel::unusual), 5);
        QCOMPARE(AlertJournalEntry::priority(RiskLevel::normal), 6);
    }

    // A journal MESSAGE_ID is 128 bits written as 32 lower-case hexadecimal digits.
    void messageIdIsAnId128()
    {
        const QByteArray id(AlertJournalEntry::messageId);
        QCOMPARE(id.size(), 32);
        for (char c : id)
            QVERIFY(std::isxdigit(static_cast<unsigned char>(c)) &&
                    !std::isupper(static_cast<unsigned char>(c)));
    }
};

QTEST_GUILESS_MAIN(AlertJournalEntryTest)
#include "tst_alertjournalentry.moc"
