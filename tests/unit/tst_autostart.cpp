#include "platform/Autostart.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QTest>

// Starting at login writes or removes ~/.config/autostart/halvex.desktop; onboarding finished for the
// first time turns it on, later ones leave the user's choice alone.
class AutostartTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_home = std::make_unique<TemporaryHome>(); }
    void cleanup() { m_home.reset(); }

    void switchWritesAndRemovesTheEntry()
    {
        QCOMPARE(Autostart::entryPath(), m_home->path() + "/.config/autostart/halvex.desktop");
        QVERIFY(!Autostart::isEnabled());
        QVERIFY(Autostart::setEnabled(true, "/opt/Halvex Apps/bin/halvex"));
        QVERIFY(Autostart::isEnabled());
        QFile entry(Autostart::entryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = entry.readAll().split('\n');
        QCOMPARE(lines.first(), "[Desktop Entry]");
        QVERIFY(lines.contains("Type=Application"));
        // The icon the package installs in the hicolor theme.
        QVERIFY(lines.contains("Icon=org.halvex.Halvex"));
        QVERIFY(lines.contains("Exec=\"/opt/Halvex Apps/bin/halvex\""));
        QVERIFY(Autostart::setEnabled(false));
        QVERIFY(!Autostart::isEnabled());
        QVERIFY(Autostart::setEnabled(false)); // nothing to remove is no failure
    }

    void firstOnboardingTurnsItOnOnce_data()
    {
        QTest::addColumn<bool>("wasOnboarded");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("first time: on by default") << false << true;
        QTest::newRow("onboarded before: the user's off stays off") << true << false;
    }
    void firstOnboardingTurnsItOnOnce()
    {
        QFETCH(bool, wasOnboarded);
        QFETCH(bool, enabled);
        Autostart::enableAfterFirstOnboarding(wasOnboarded);
        QCOMPARE(Autostart::isEnabled(), enabled);
    }

private:
    std::unique_ptr<TemporaryHome> m_home;
};

QTEST_GUILESS_MAIN(AutostartTest)
#include "tst_autostart.moc"
