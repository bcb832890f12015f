#include "platform/PlatformWording.h"

#include <QTest>

class PlatformWordingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void linuxWording_data()
    {
        QTest::addColumn<QString>("mac");
        QTest::addColumn<QString>("other");
        QTest::newRow("your Mac") << "Your Mac is protected"
                                  << "Your computer is protected";
        QTest::newRow("mid sentence") << "Enable protection to monitor your Mac"
                                      << "Enable protection to monitor your computer";
        QTest::newRow("possessive") << "Your Mac's camera service."
                                    << "Your computer's camera service.";
        QTest::newRow("menu bar with place") << "Look for the shield in the menu bar, top right."
                                             << "Look for the shield in the system tray.";
        QTest::newRow("menu bar") << "Runs the icons of your menu bar."
                                  << "Runs the icons of your system tray.";
        QTest::newRow("capitalised menu bar") << "Menu bar"
                                              << "System tray";
        QTest::newRow("french") << "@bot contrôle ton Mac"
                                << "@bot contrôle ton ordinateur";
        QTest::newRow("macOS untouched") << "Needs macOS 14"
                                         << "Needs macOS 14";
        QTest::newRow("MacBook untouched") << "MacBook camera"
                                           << "MacBook camera";
        QTest::newRow("MAC address untouched") << "MAC address of en0"
                                               << "MAC address of en0";
        QTest::newRow("word inside a name") << "Macromedia"
                                            << "Macromedia";
        QTest::newRow("no Mac") << "All clear"
                                << "All clear";
    }

    void linuxWording()
    {
        QFETCH(QString, mac);
        QFETCH(QString, other);
        QCOMPARE(PlatformWording::adapt(mac, Platform::Kind::Linux), other);
        QCOMPARE(PlatformWording::adapt(mac, Platform::Kind::MacOS), mac);
    }
};

QTEST_GUILESS_MAIN(PlatformWordingTest)
#include "tst_platformwording.moc"
