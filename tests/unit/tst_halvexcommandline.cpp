#include "app/HalvexCommandLine.h"
#include "platform/CommandLineReply.h"

#include <QTest>

using HalvexCommandLine::Command;
using HalvexCommandLine::Invocation;

namespace {

Invocation monitoring(bool headless, bool dashboard, bool journal)
{
    Invocation invocation;
    invocation.headless = headless;
    invocation.dashboard = dashboard;
    invocation.journal = journal;
    return invocation;
}

Invocation command(Command command)
{
    return CommandLineReply::only<Invocation>(command);
}

Invocation setup(const QStringList& arguments)
{
    Invocation invocation = command(Command::TelegramSetup);
    invocation.setupArguments = arguments;
    return invocation;
}

Invocation refusal(const QString& reason)
{
    return CommandLineReply::refused<Invocation>(reason);
}

} // namespace

class HalvexCommandLineTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Invocation>("expected");
        QTest::newRow("nothing: the tray") << QStringList{} << monitoring(false, false, true);
        QTest::newRow("headless") << QStringList{"--headless"} << monitoring(true, false, true);
        QTest::newRow("dashboard") << QStringList{"--dashboard"} << monitoring(false, true, true);
        QTest::newRow("headless asking for the dashboard")
            << QStringList{"--headless", "--dashboard"} << monitoring(true, true, true);
        QTest::newRow("no journal") << QStringList{"--no-journal"} << monitoring(false, false, false);
        QTest::newRow("headless without journal")
            << QStringList{"--no-journal", "--headless"} << monitoring(true, false, false);
        QTest::newRow("a flag twice")
            << QStringList{"--headless", "--headless"} << monitoring(true, false, true);
        QTest::newRow("Qt's platform option")
            << QStringList{"-platform", "offscreen", "--dashboard"} << monitoring(false, true, true);
        QTest::newRow("session restart")
            << QStringList{"-session", "1234_5"} << monitoring(false, false, true);
        QTest::newRow("Qt flag") << QStringList{"-reverse"} << monitoring(false, false, true);
        QTest::newRow("check backend") << QStringList{"--check-backend"} << command(Command::CheckBackend);
        QTest::newRow("telegram-setup") << QStringList{"telegram-setup"} << setup({});
        QTest::newRow("telegram-setup with a file")
            << QStringList{"telegram-setup", "--token-file", "/tmp/t"} << setup({"--token-file", "/tmp/t"});
        QTest::newRow("telegram-setup reads its own arguments")
            << QStringList{"telegram-setup", "--token", "x"} << setup({"--token", "x"});
        QTest::newRow("telegram-setup help")
            << QStringList{"telegram-setup", "--help"} << command(Command::Help);
        QTest::newRow("help") << QStringList{"--help"} << command(Command::Help);
        QTest::newRow("short help") << QStringList{"-h"} << command(Command::Help);
        QTest::newRow("help wins over what follows")
            << QStringList{"--help", "--bogus"} << command(Command::Help);
        QTest::newRow("version") << QStringList{"--version"} << command(Command::Version);
        QTest::newRow("short version") << QStringList{"--headless", "-v"} << command(Command::Version);
        QTest::newRow("unknown option") << QStringList{"--bogus"} << refusal("unknown option '--bogus'");
        QTest::newRow("unknown option after a known one")
            << QStringList{"--headless", "--verbose"} << refusal("unknown option '--verbose'");
        QTest::newRow("an unknown option before help")
            << QStringList{"--bogus", "--help"} << refusal("unknown option '--bogus'");
        QTest::newRow("unknown command") << QStringList{"rule", "list"} << refusal("unknown command 'rule'");
        QTest::newRow("a word after a flag")
            << QStringList{"--headless", "now"} << refusal("unknown command 'now'");
        QTest::newRow("telegram-setup not first") << QStringList{"--headless", "telegram-setup"}
                                                  << refusal("'telegram-setup' must be the first argument");
        QTest::newRow("a flag given a value")
            << QStringList{"--headless=yes"} << refusal("option '--headless' takes no value");
        QTest::newRow("Qt option without its value")
            << QStringList{"-platform"} << refusal("option '-platform' needs a value");
        QTest::newRow("check backend with another mode")
            << QStringList{"--check-backend", "--headless"}
            << refusal("'--check-backend' takes no other option");
        QTest::newRow("check backend with a Qt option") << QStringList{"-platform", "xcb", "--check-backend"}
                                                        << refusal("'--check-backend' takes no other option");
        QTest::newRow("single-dash spelling of ours")
            << QStringList{"-headless"} << refusal("unknown option '-headless'");
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Invocation, expected);
        const Invocation parsed = HalvexCommandLine::parse(arguments);
        QCOMPARE(parsed.refusal, expected.refusal);
        QCOMPARE(parsed, expected);
    }

    void runsHeadless_data()
    {
        QTest::addColumn<bool>("headlessFlag");
        QTest::addColumn<bool>("display");
        QTest::addColumn<bool>("headless");
        QTest::newRow("tray on a display") << false << true << false;
        QTest::newRow("no display") << false << false << true;
        QTest::newRow("asked for") << true << true << true;
    }

    void runsHeadless()
    {
        QFETCH(bool, headlessFlag);
        QFETCH(bool, display);
        QFETCH(bool, headless);
        Invocation invocation;
        invocation.headless = headlessFlag;
        QCOMPARE(HalvexCommandLine::runsHeadless(invocation, display), headless);
    }

    void displayComesFromTheEnvironment()
    {
        const QByteArray names[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
        QHash<QByteArray, QByteArray> saved;
        for (const QByteArray& name : names) {
            saved.insert(name, qgetenv(name.constData()));
            qunsetenv(name.constData());
        }
        QVERIFY(!HalvexCommandLine::displayAvailable());
        for (const QByteArray& name : names) {
            qputenv(name.constData(), ":1");
            QVERIFY2(HalvexCommandLine::displayAvailable(), name.constData());
            qunsetenv(name.constData());
        }
        for (const QByteArray& name : names) {
            if (!saved.value(name).isEmpty())
                qputenv(name.constData(), saved.value(name));
        }
    }

    void textsNameEveryMode()
    {
        const QString usage = HalvexCommandLine::usage();
        for (const char* word : {"--headless", "--dashboard", "--no-journal", "--check-backend",
                                 "telegram-setup [--token-file PATH]", "--help", "--version"})
            QVERIFY2(usage.contains(QLatin1String(word)), word);
        QVERIFY(HalvexCommandLine::help().startsWith(usage));
        QCOMPARE(HalvexCommandLine::versionText(), QStringLiteral("halvex " HALVEX_VERSION));
    }
};

QTEST_GUILESS_MAIN(HalvexCommandLineTest)
#include "tst_halvexcommandline.moc"
