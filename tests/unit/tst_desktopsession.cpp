#include "app/DesktopSession.h"

#include <QTest>

using DesktopSession::Environment;

// Which Qt platform Halvex asks for, and whether its tray icon is a StatusNotifierItem of its own,
// for the sessions users run.
class DesktopSessionTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void preferredPlatform_data()
    {
        QTest::addColumn<QString>("qpa");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("platform");
        QTest::newRow("GNOME on Wayland with Xwayland") << ""
                                                        << "wayland"
                                                        << "GNOME"
                                                        << ":0"
                                                        << "xcb";
        QTest::newRow("Ubuntu's GNOME") << ""
                                        << "wayland"
                                        << "ubuntu:GNOME"
                                        << ":0"
                                        << "xcb";
        QTest::newRow("GNOME, lower case") << ""
                                           << "wayland"
                                           << "gnome"
                                           << ":1"
                                           << "xcb";
        QTest::newRow("GNOME without Xwayland") << ""
                                                << "wayland"
                                                << "GNOME"
                                                << ""
                                                << "";
        QTest::newRow("the user's own choice wins") << "wayland"
                                                    << "wayland"
                                                    << "GNOME"
                                                    << ":0"
                                                    << "";
        QTest::newRow("GNOME on X11: Qt's choice is X11 already") << ""
                                                                  << "x11"
                                                                  << "GNOME"
                                                                  << ":0"
                                                                  << "";
        QTest::newRow("sway") << ""
                              << "wayland"
                              << "sway"
                              << ":0"
                              << "";
        QTest::newRow("KDE Plasma on Wayland") << ""
                                               << "wayland"
                                               << "KDE"
                                               << ":0"
                                               << "";
        QTest::newRow("a desktop named like GNOME is not GNOME") << ""
                                                                 << "wayland"
                                                                 << "GNOME-Flashback-ish"
                                                                 << ":0"
                                                                 << "";
    }
    void preferredPlatform()
    {
        QFETCH(QString, qpa);
        QFETCH(QString, type);
        QFETCH(QString, desktop);
        QFETCH(QString, display);
        QFETCH(QString, platform);
        QCOMPARE(DesktopSession::preferredPlatform(Environment{qpa, type, desktop, display}), platform);
    }

    void usesStatusNotifier_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("platformName");
        QTest::addColumn<bool>("statusNotifier");
        QTest::newRow("Wayland client") << "wayland"
                                        << "wayland" << true;
        QTest::newRow("Wayland client, session type unset") << ""
                                                            << "wayland-egl" << true;
        QTest::newRow("Xwayland in a Wayland session") << "wayland"
                                                       << "xcb" << true;
        QTest::newRow("X11 session: Qt's tray (XEmbed or its own item)") << "x11"
                                                                         << "xcb" << false;
        QTest::newRow("no session type, X11") << ""
                                              << "xcb" << false;
        QTest::newRow("offscreen") << ""
                                   << "offscreen" << false;
    }
    void usesStatusNotifier()
    {
        QFETCH(QString, type);
        QFETCH(QString, platformName);
        QFETCH(bool, statusNotifier);
        QCOMPARE(DesktopSession::usesStatusNotifier(Environment{{}, type, {}, {}}, platformName),
                 statusNotifier);
    }
};

QTEST_GUILESS_MAIN(DesktopSessionTest)
#include "tst_desktopsession.moc"
