#include "model/ThreatVerdict.h"

#include <QTest>

// The threat scan's keyword verdict and the shown part of a reply.
class ThreatVerdictTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void detectThreat_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("threat");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("no keyword") << "All 214 processes look normal" << false;
        QTest::newRow("found") << "2 suspicious kernel extensions found" << true;
        QTest::newRow("negated with none") << "Rootkit detected: none" << false;
        QTest::newRow("none anywhere wins") << "keylogger found in /tmp; none of the others" << false;
        QTest::newRow("none inside a word") << "nonexistent? no: nonetheless rootkit detected" << false;
        QTest::newRow("french negation") << "Aucun enregistreur détecté" << false;
        QTest::newRow("french finding") << "Processus suspect trouvé : pid 4242" << true;
        QTest::newRow("upper case keyword") << "ROOTKIT DETECTED" << true;
        QTest::newRow("upper case negation") << "LEAK: NONE" << false;
        QTest::newRow("keyword inside a word") << "DNS leakage through eth0" << true;
        QTest::newRow("intercepting") << "A process is intercepting traffic" << true;
        QTest::newRow("error text") << "Error: The request timed out." << false;
        QTest::newRow("keylogger alone") << "Keylogger" << true;
        QTest::newRow("suspect inside suspicious") << "Suspicious" << true;
    }

    void detectThreat()
    {
        QFETCH(QString, reply);
        QFETCH(bool, threat);
        QCOMPARE(ThreatVerdict::detectThreat(reply), threat);
    }

    void previewCutsAtUserPerceivedCharacters()
    {
        const QString shortReply = QStringLiteral("Keyloggers: none found");
        QCOMPARE(ThreatVerdict::resultPreview(shortReply), shortReply);

        // 119 letters, then a flag of two code points and two more: the flag counts as one character.
        const QString flag = QString::fromUtf8("🇫🇷");
        const QString long_ = QString(119, u'a') + flag + QStringLiteral("bc");
        QCOMPARE(ThreatVerdict::resultPreview(long_), QString(119, u'a') + flag);

        // The keyword past the cut still makes a threat: the verdict reads the whole reply.
        const QString late = QString(130, u'.') + QStringLiteral(" rootkit detected");
        QCOMPARE(ThreatVerdict::resultPreview(late).size(), 120);
        QVERIFY(ThreatVerdict::detectThreat(late));
    }
};

QTEST_APPLESS_MAIN(ThreatVerdictTest)
#include "tst_threatverdict.moc"
