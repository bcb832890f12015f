#include "model/L10n.h"

#include <QTest>

using L10n::Language;

namespace {

// Each wording function behind one signature, so one table covers them all.
using Wording = QString (*)(const QString& argument, Language in);

template <QString (*F)(int, Language)> QString withNumber(const QString& argument, Language in)
{
    return F(argument.toInt(), in);
}

} // namespace

Q_DECLARE_METATYPE(Wording)

class L10nTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void wording_data()
    {
        QTest::addColumn<Wording>("wording");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("french");
        const auto row = [](const char* name, Wording wording, const char* argument, const char* english,
                            const char* french) {
            QTest::newRow(name) << wording << QString::fromUtf8(argument) << QString::fromUtf8(english)
                                << QString::fromUtf8(french);
        };
        row("accessCount 0", withNumber<L10n::accessCount>, "0", "0 access detected today",
            "0 access detected today");
        row("accessCount 1", withNumber<L10n::accessCount>, "1", "1 access detected today",
            "1 access detected today");
        row("accessCount 2", withNumber<L10n::accessCount>, "2", "2 accesses detected today",
            "2 accesses detected today");
        row("accessCount -3", withNumber<L10n::accessCount>, "-3", "-3 access detected today",
            "-3 access detected today");
        row("accessCount no grouping", withNumber<L10n::accessCount>, "12345",
            "12345 accesses detected today", "12345 accesses detected today");
        row("timesCount 0", withNumber<L10n::timesCount>, "0", "0× today", "0× aujourd'hui");
        row("timesCount 1", withNumber<L10n::timesCount>, "1", "1× today", "1× aujourd'hui");
        row("timesCount 7", withNumber<L10n::timesCount>, "7", "7× today", "7× aujourd'hui");
        row("sentenceCamera", L10n::sentenceCamera, "Zoom", "Zoom used your camera",
            "Zoom a regardé par ta caméra");
        row("sentenceMic", L10n::sentenceMic, "Zoom", "Zoom used your microphone", "Zoom a écouté ton micro");
        row("sentenceLocation", L10n::sentenceLocation, "Maps", "Maps accessed your location",
            "Maps a consulté ta position");
        row("sentenceNetwork", L10n::sentenceNetwork, "curl", "curl connected to the Internet",
            "curl s'est connecté à Internet");
        row("sentenceDefault", L10n::sentenceDefault, "X", "X did something", "X a fait une action");
        row("name with punctuation", L10n::sentenceCamera, "Google Chrome (Beta), v2!",
            "Google Chrome (Beta), v2! used your camera",
            "Google Chrome (Beta), v2! a regardé par ta caméra");
        row("empty name", L10n::sentenceDefault, "", " did something", " a fait une action");
        row("tgControlsMac", L10n::tgControlsMac, "halvex_bot", "@halvex_bot controls your Mac",
            "@halvex_bot contrôle ton Mac");
        row("profileTaskCount", withNumber<L10n::profileTaskCount>, "28", "28 tasks", "28 tâches");
        row("activeTasksCount", withNumber<L10n::activeTasksCount>, "3", "3 ACTIVE TASKS",
            "3 TÂCHES ACTIVES");
        row("skillActionDesc", L10n::skillActionDesc, "Camera",
            "Runs « Camera » automatically and sends the result to Telegram.",
            "Exécute « Camera » automatiquement et envoie le résultat sur Telegram.");
        row("seeMore", withNumber<L10n::seeMore>, "12", "See more (12)", "Voir plus (12)");
        row("ramPct", withNumber<L10n::ramPct>, "80", "Free up if > 80% used", "Libérer si > 80% utilisée");
        row("everyN", withNumber<L10n::everyN>, "24", "Halvex will check every 24h",
            "Halvex vérifiera toutes les 24h");
    }

    void wording()
    {
        QFETCH(Wording, wording);
        QFETCH(QString, argument);
        QFETCH(QString, english);
        QFETCH(QString, french);
        QCOMPARE(wording(argument, Language::English), english);
        QCOMPARE(wording(argument, Language::French), french);
    }

    void buildSpeaksEnglish()
    {
        QCOMPARE(L10n::language, Language::English);
        QCOMPARE(L10n::timesCount(3), QStringLiteral("3× today"));
        QCOMPARE(L10n::sentenceMic(QStringLiteral("Zoom")), QStringLiteral("Zoom used your microphone"));
    }

    void privacyLevels()
    {
        QCOMPARE(L10n::privacyLevels.size(), size_t(3));
        const QStringList titles{QStringLiteral("Relaxed"), QStringLiteral("Normal"),
                                 QStringLiteral("Paranoid")};
        const QStringList descs{QStringLiteral("Camera and microphone only"),
                                QStringLiteral("Camera, mic and location"),
                                QStringLiteral("Monitor everything including network")};
        const QList<char32_t> emoji{0x1F60A, 0x1F441, 0x1F512};
        for (size_t level = 0; level < 3; ++level) {
            const L10n::PrivacyLevel& entry = L10n::privacyLevels[level];
            QCOMPARE(entry.title.toString(), titles[qsizetype(level)]);
            QCOMPARE(entry.desc.toString(), descs[qsizetype(level)]);
            QCOMPARE(entry.emoji.toString().toUcs4(), QList<uint>{uint(emoji[qsizetype(level)])});
        }
    }
};

QTEST_GUILESS_MAIN(L10nTest)
#include "tst_l10n.moc"
