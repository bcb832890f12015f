#include "monitor/OfferedButtons.h"
#include "monitor/SavedUpdateOffset.h"
#include "platform/Settings.h"
#include "support/TestEnvironment.h"

#include <QTest>

// The names force-quit buttons offered, and the saved update offset: both kept in the settings, both
// valid for a day.
class OfferedButtonsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_home = std::make_unique<TemporaryHome>(); }
    void cleanup() { m_home.reset(); }

    void offeredNamesLiveADay_data()
    {
        QTest::addColumn<QString>("offered");
        QTest::addColumn<QString>("pressed");
        QTest::addColumn<int>("minutesLater");
        QTest::addColumn<bool>("obeyed");
        QTest::newRow("same name") << "zoom.us"
                                   << "zoom.us" << 1 << true;
        QTest::newRow("name with spaces") << "Google Chrome"
                                          << "Google Chrome" << 1 << true;
        QTest::newRow("23 hours later") << "Xos"
                                        << "Xos" << 23 * 60 << true;
        QTest::newRow("a day later") << "Xos"
                                     << "Xos" << 24 * 60 << false;
        QTest::newRow("part of the name") << "zoom.us"
                                          << "zoom" << 1 << false;
        QTest::newRow("one letter") << "Xos"
                                    << "a" << 1 << false;
        QTest::newRow("other case") << "Xos"
                                    << "xos" << 1 << false;
        QTest::newRow("empty") << ""
                               << "" << 1 << false;
    }

    void offeredNamesLiveADay()
    {
        QFETCH(QString, offered);
        QFETCH(QString, pressed);
        QFETCH(int, minutesLater);
        QFETCH(bool, obeyed);
        OfferedButtons::remember(offered, m_now);
        QCOMPARE(OfferedButtons::wasOffered(pressed, m_now.addSecs(60 * minutesLater)), obeyed);
    }

    // Offering a name again renews it; the list keeps the newest names only.
    void offersAreRenewedAndBounded()
    {
        OfferedButtons::remember("Xos", m_now);
        OfferedButtons::remember("Xos", m_now.addSecs(20 * 3600));
        QVERIFY(OfferedButtons::wasOffered("Xos", m_now.addSecs(30 * 3600)));

        for (int i = 0; i < OfferedButtons::maxNames + 5; ++i)
            OfferedButtons::remember(QString("app%1").arg(i), m_now.addSecs(20 * 3600 + i));
        const QDateTime later = m_now.addSecs(21 * 3600);
        QVERIFY(!OfferedButtons::wasOffered("app0", later));
        QVERIFY(!OfferedButtons::wasOffered("Xos", later));
        QVERIFY(OfferedButtons::wasOffered("app5", later));
        QVERIFY(OfferedButtons::wasOffered(QString("app%1").arg(OfferedButtons::maxNames + 4), later));
        QCOMPARE(Settings().value(SettingsKey::telegramOfferedButtons).toStringList().size(),
                 OfferedButtons::maxNames);
    }

    void savedOffsetBelongsToOneBot()
    {
        Settings().setTelegramBotToken("123:secret");
        QVERIFY(SavedUpdateOffset::save("123:secret", 41, m_now));
        QCOMPARE(SavedUpdateOffset::load("123:secret", m_now.addSecs(3600)).updateId, 41);
        QCOMPARE(SavedUpdateOffset::load("123:secret", m_now.addSecs(3600)).savedAt, m_now);
        // A new secret of the same bot keeps the position; a day later it is gone.
        QCOMPARE(SavedUpdateOffset::load("123:renewed", m_now.addSecs(3600)).updateId, 41);
        QCOMPARE(SavedUpdateOffset::load("123:secret", m_now.addSecs(24 * 3600)).updateId, 0);

        // Another bot is stored now: the old bot's poller writes nothing, and reads nothing either.
        Settings().setTelegramBotToken("777:other");
        QVERIFY(!SavedUpdateOffset::save("123:secret", 42, m_now));
        QVERIFY(!Settings().contains(SettingsKey::telegramLastUpdateId));
        QCOMPARE(SavedUpdateOffset::load("123:secret", m_now).updateId, 0);
        QVERIFY(SavedUpdateOffset::save("777:other", 5, m_now));
        QCOMPARE(SavedUpdateOffset::load("777:other", m_now).updateId, 5);
    }

private:
    std::unique_ptr<TemporaryHome> m_home;
    const QDateTime m_now = QDateTime(QDate(2026, 3, 1), QTime(10, 0), Qt::UTC);
};

QTEST_GUILESS_MAIN(OfferedButtonsTest)
#include "tst_offeredbuttons.moc"
