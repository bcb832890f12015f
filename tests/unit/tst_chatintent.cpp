#include "model/SkillCatalogue.h"
#include "service/ChatResponder.h"
#include "skills/SkillRegistry.h"

#include <QTest>

// What the console's free text asks halvexd for, and that every catalogue id is a skill halvexd runs.
class ChatIntentTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyCatalogueIdIsImplemented()
    {
        for (const QuickSkill& skill : SkillCatalogue::allSkills())
            QVERIFY2(SkillRegistry::find(skill.id), qPrintable(skill.id));
        for (const QStringView id : SkillCatalogue::nonAutomatableSkills()) {
            if (id != u"block")
                QVERIFY2(SkillRegistry::find(id.toString()), qPrintable(id.toString()));
        }
    }

    void interpret_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("skillId");
        QTest::newRow("help") << QStringLiteral(" Help? ") << int(ChatResponder::Intent::Help) << QString();
        QTest::newRow("empty") << QStringLiteral("   ") << int(ChatResponder::Intent::Help) << QString();
        QTest::newRow("id") << QStringLiteral("keylogger-detector") << int(ChatResponder::Intent::Run)
                            << QStringLiteral("keylogger-detector");
        QTest::newRow("id in a sentence") << QStringLiteral("please run open-ports now")
                                          << int(ChatResponder::Intent::Run) << QStringLiteral("open-ports");
        QTest::newRow("name") << QStringLiteral("Clean RAM") << int(ChatResponder::Intent::Run)
                              << QStringLiteral("clean-ram");
        QTest::newRow("keyword") << QStringLiteral("Is my firewall on?") << int(ChatResponder::Intent::Run)
                                 << QStringLiteral("firewall-status");
        QTest::newRow("own word wins")
            << QStringLiteral("wifi") << int(ChatResponder::Intent::Run) << QStringLiteral("wifi-scanner");
        QTest::newRow("two words") << QStringLiteral("wifi intel") << int(ChatResponder::Intent::Run)
                                   << QStringLiteral("wifi-intelligence");
        QTest::newRow("memory") << QStringLiteral("how much ram") << int(ChatResponder::Intent::Run)
                                << QStringLiteral("memory-usage");
        QTest::newRow("clean ram") << QStringLiteral("clean my ram") << int(ChatResponder::Intent::Run)
                                   << QStringLiteral("clean-ram");
        QTest::newRow("dns leak") << QStringLiteral("any DNS leak?") << int(ChatResponder::Intent::Run)
                                  << QStringLiteral("dns-leak-test");
        QTest::newRow("flush") << QStringLiteral("flush dns") << int(ChatResponder::Intent::Run)
                               << QStringLiteral("flush-dns");
        QTest::newRow("ambiguous") << QStringLiteral("clean") << int(ChatResponder::Intent::Ambiguous)
                                   << QString();
        QTest::newRow("nothing") << QStringLiteral("what is the weather")
                                 << int(ChatResponder::Intent::Unknown) << QString();
    }

    void interpret()
    {
        QFETCH(QString, message);
        QFETCH(int, kind);
        QFETCH(QString, skillId);
        const ChatResponder::Intent intent =
            ChatResponder::interpret(message, ChatResponder::builtinEntries());
        QCOMPARE(int(intent.kind), kind);
        QCOMPARE(intent.skillId, skillId);
    }

    void scriptSkillsByName()
    {
        QList<ChatResponder::Entry> entries = ChatResponder::builtinEntries();
        entries.append({QStringLiteral("custom-00000000beef"),
                        QStringLiteral("🧾"),
                        QStringLiteral("Backup photos"),
                        {}});
        const ChatResponder::Intent intent =
            ChatResponder::interpret(QStringLiteral("backup photos"), entries);
        QCOMPARE(intent.skillId, QStringLiteral("custom-00000000beef"));
        QVERIFY(ChatResponder::helpText(entries).contains(
            QStringLiteral("🧾 custom-00000000beef — Backup photos")));
    }
};

QTEST_GUILESS_MAIN(ChatIntentTest)
#include "tst_chatintent.moc"
