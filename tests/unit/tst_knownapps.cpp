#include "model/KnownApps.h"
#include "model/L10n.h"

#include <QSet>
#include <QTest>

namespace {

// The catalogue walk written the obvious way, to check the fast one against.
const KnownApp* findByScanning(const QString& rawName)
{
    const QString low = rawName.toLower();
    for (const KnownApp& row : KnownApps::rows()) {
        if (low.contains(QLatin1String(row.key.data(), qsizetype(row.key.size()))))
            return &row;
    }
    return nullptr;
}

QString keyOf(const KnownApp* row)
{
    return row ? QString::fromLatin1(row->key.data(), qsizetype(row->key.size())) : QStringLiteral("(none)");
}

} // namespace

class KnownAppsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tableShape()
    {
        const auto rows = KnownApps::rows();
        QCOMPARE(rows.size(), size_t(263));
        QCOMPARE(std::ranges::count(rows, true, &KnownApp::isSystem), 117);
        QCOMPARE(rows.front().key, std::string_view("coreaudiod"));
        QCOMPARE(rows.back().key, std::string_view("electron"));
        QSet<QString> keys;
        for (const KnownApp& row : rows) {
            const QString key = QString::fromLatin1(row.key.data(), qsizetype(row.key.size()));
            QVERIFY2(!keys.contains(key), qPrintable(key));
            keys.insert(key);
            QVERIFY2(!row.name.isEmpty(), qPrintable(key));
            QVERIFY2(row.desc.size() > 2 && row.desc.endsWith(u'.') && !row.desc.front().isSpace(),
                     qPrintable(key));
        }
    }

    // No row hides behind an earlier one: each key, looked up as a name, finds its own row.
    void everyRowIsReachable()
    {
        for (const KnownApp& row : KnownApps::rows()) {
            const QString key = QString::fromLatin1(row.key.data(), qsizetype(row.key.size()));
            QCOMPARE(keyOf(KnownApps::find(key)), key);
            QCOMPARE(keyOf(KnownApps::find(key.toUpper())), key);
        }
    }

    // The rows that contain an earlier row's key are tried just before it, whatever their table.
    void movedRowsPrecedeTheKeysTheyContain_data()
    {
        QTest::addColumn<QString>("longer");
        QTest::addColumn<QString>("shorter");
        QTest::newRow("mds_stores") << "mds_stores"
                                    << "mds";
        QTest::newRow("screensharingd") << "screensharingd"
                                        << "sharingd";
        QTest::newRow("docker") << "docker"
                                << "dock";
        QTest::newRow("the unarchiver") << "the unarchiver"
                                        << "arc";
        QTest::newRow("obsidian") << "obsidian"
                                  << "obs";
    }

    void movedRowsPrecedeTheKeysTheyContain()
    {
        QFETCH(QString, longer);
        QFETCH(QString, shorter);
        const auto rows = KnownApps::rows();
        const auto position = [&](const QString& key) {
            return std::ranges::find(rows, key.toStdString(),
                                     [](const KnownApp& r) { return std::string(r.key); }) -
                   rows.begin();
        };
        QCOMPARE(position(longer) + 1, position(shorter));
    }

    void friendlyApp_data()
    {
        QTest::addColumn<QString>("app");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("isSystem");
        QTest::addColumn<QString>("desc"); // empty: not checked
        QTest::newRow("Docker is the application") << "Docker"
                                                   << "Docker" << false << "";
        QTest::newRow("Dock is the system") << "Dock"
                                            << "Dock" << true << "Your Dock and app switcher. Normal.";
        QTest::newRow("Obsidian") << "Obsidian"
                                  << "Obsidian" << false << "";
        QTest::newRow("OBS") << "OBS"
                             << "OBS Studio" << false << "";
        QTest::newRow("The Unarchiver") << "The Unarchiver"
                                        << "The Unarchiver" << false << "";
        QTest::newRow("Archive Utility through arc") << "Archive Utility"
                                                     << "Arc" << false << "";
        QTest::newRow("screensharingd") << "screensharingd"
                                        << "Screen Sharing" << true << "Screen sharing with another Mac.";
        QTest::newRow("sharingd") << "sharingd"
                                  << "Sharing / AirDrop" << true << "";
        QTest::newRow("zoom.us") << "zoom.us"
                                 << "Zoom" << false << "Zoom video meeting.";
        QTest::newRow("Chrome helper") << "Google Chrome Helper (Renderer)"
                                       << "Google Chrome" << false << "";
        QTest::newRow("Audio Hijack is the audio catch-all")
            << "Audio Hijack"
            << "System audio" << true << "Audio component of your Mac.";
        QTest::newRow("coreaudiod before audio")
            << "coreaudiod"
            << "System audio" << true << "Your Mac manages audio. Normal.";
        QTest::newRow("Safari Web Content") << "Safari Web Content"
                                            << "Safari" << true << "";
        QTest::newRow("Safari alone") << "Safari"
                                      << "Safari" << false << "";
        QTest::newRow("Code Helper") << "Code Helper"
                                     << "Visual Studio Code" << false << "Code editor.";
        QTest::newRow("login through logi") << "login"
                                            << "Logitech" << false << "";
        QTest::newRow("siri catch-all") << "com.apple.SiriNCService"
                                        << "Siri" << true << "";
        QTest::newRow("Siri alone") << "Siri"
                                    << "Siri" << true << "Your Mac's voice assistant. You can talk to it.";
        QTest::newRow("kernel_task") << "kernel_task"
                                     << "macOS system" << true
                                     << "The core of your Mac. Always active, normal.";
        QTest::newRow("LM Studio by its key") << "LMStudio"
                                              << "LM Studio" << false << "Local AI — LM Studio.";
        QTest::newRow("capitals fold") << "TCCD"
                                       << "Privacy" << true << "Checks app permissions (normal).";
        QTest::newRow("Kelvin sign folds to k")
            << QString::fromUtf8("\u212Aernel_task") << "macOS system" << true << "";
        QTest::newRow("folder path") << "/Applications/Foo.app/Contents/MacOS/Foo Helper"
                                     << "Foo" << false << "Third-party application detected on your Mac.";
        QTest::newRow("reverse domain") << "com.example.Tool"
                                        << "example.Tool" << false << "";
        QTest::newRow("Apple reverse domain") << "com.apple.WebKit.WebContent"
                                              << "WebKit.WebContent" << false << "";
        QTest::newRow("every occurrence goes") << "My Agent Helper Agent"
                                               << "My" << false << "";
        QTest::newRow("removal is case-sensitive") << "COM.Thing helper"
                                                   << "COM.Thing helper" << false << "";
        QTest::newRow("empty name") << ""
                                    << "" << false << "Third-party application detected on your Mac.";
        QTest::newRow("nothing left keeps the name") << "/x/com."
                                                     << "/x/com." << false << "";
        QTest::newRow("trailing slash keeps the name") << "/usr/bin/"
                                                       << "/usr/bin/" << false << "";
    }

    void friendlyApp()
    {
        QFETCH(QString, app);
        QFETCH(QString, name);
        QFETCH(bool, isSystem);
        QFETCH(QString, desc);
        const L10n::AppInfo info = L10n::friendlyApp(app);
        QCOMPARE(info.name, name);
        QCOMPARE(info.isSystem, isSystem);
        if (!desc.isEmpty())
            QCOMPARE(info.desc, desc);
        QCOMPARE(info.desc == L10n::unknownAppDescription, KnownApps::find(app) == nullptr);
    }

    // The lookup lower-cases on the fly; it must agree with QString::toLower for every character,
    // including those that lower-case to plain letters or to more than one character.
    void agreesWithLowerCasingEveryCharacter()
    {
        // The character in the middle, at the end and at the start of a key, and right after one.
        const QStringList frames{QStringLiteral("zo%1m"), QStringLiteral("sir%1"), QStringLiteral("%1nput"),
                                 QStringLiteral("dock%1r")};
        QList<const KnownApp*> whenBroken;
        for (const QString& frame : frames)
            whenBroken.append(findByScanning(frame.arg(u'/')));
        for (char32_t code = 1; code <= 0xFFFF; ++code) {
            if (QChar::isSurrogate(code))
                continue;
            // A character that lower-cases to no plain ASCII character breaks every key, as "/" does.
            const QString lowered = QString(QChar(code)).toLower();
            const bool lowersToAscii =
                std::ranges::any_of(lowered, [](QChar c) { return c.unicode() < 128; });
            for (qsizetype i = 0; i < frames.size(); ++i) {
                const QString& frame = frames[i];
                const QString name = frame.arg(QChar(code));
                const KnownApp* expected = lowersToAscii ? findByScanning(name) : whenBroken[i];
                if (KnownApps::find(name) != expected)
                    QFAIL(qPrintable(QStringLiteral("U+%1 in %2: %3 instead of %4")
                                         .arg(quint32(code), 4, 16, QLatin1Char('0'))
                                         .arg(frame, keyOf(KnownApps::find(name)), keyOf(expected))));
            }
        }
    }

    void agreesWithScanningOnRealNames_data()
    {
        QTest::addColumn<QString>("app");
        for (const char* name :
             {"Microsoft Teams (work or school)", "Slack Helper (Plugin)", "com.hnc.Discord.helper",
              "Brave Browser Helper (GPU)", "/usr/libexec/rapportd", "WindowServer", "zoom.us",
              "org.mozilla.firefox", "Electron Helper", "python3.12", "Java Updater", "İnput Method",
              "Ünknöwn Äpp 😀", "a_b c", "mdworker_shared", "ScreenSaverEngine", "\t", "/"})
            QTest::newRow(name) << QString::fromUtf8(name);
    }

    void agreesWithScanningOnRealNames()
    {
        QFETCH(QString, app);
        QCOMPARE(keyOf(KnownApps::find(app)), keyOf(findByScanning(app)));
    }

    void longNamesAreSearchedWhole()
    {
        const QString padding(5000, QLatin1Char('x'));
        QCOMPARE(L10n::friendlyApp(padding + QStringLiteral("Zoom")).name, QStringLiteral("Zoom"));
        QCOMPARE(L10n::friendlyApp(QStringLiteral("Zoom") + padding).name, QStringLiteral("Zoom"));
        QCOMPARE(KnownApps::find(padding), nullptr);
    }
};

QTEST_GUILESS_MAIN(KnownAppsTest)
#include "tst_knownapps.moc"
