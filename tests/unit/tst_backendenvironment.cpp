#include "backend/BackendEnvironment.h"
#include "platform/Settings.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using BackendEnvironment::TokenWrite;

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

mode_t modeOf(const QString& path)
{
    struct stat info
    {
    };
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

} // namespace

class BackendEnvironmentTest : public QObject
{
    Q_OBJECT
    TemporaryHome m_home;

private Q_SLOTS:
    void init() { Settings().remove(SettingsKey::backendWorkDir); }

    void rewritesTokenLines_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one line") << "TELEGRAM_BOT_TOKEN=old\nPORT=3456\n"
                                  << "TELEGRAM_BOT_TOKEN=NEW\nPORT=3456\n";
        QTest::newRow("two token lines") << "TELEGRAM_BOT_TOKEN=a\nX=1\nTELEGRAM_BOT_TOKEN=b"
                                         << "TELEGRAM_BOT_TOKEN=NEW\nX=1\nTELEGRAM_BOT_TOKEN=NEW";
        QTest::newRow("spaced key left alone") << " TELEGRAM_BOT_TOKEN=a\nTELEGRAM_BOT_TOKEN =b\n"
                                               << " TELEGRAM_BOT_TOKEN=a\nTELEGRAM_BOT_TOKEN =b\n";
        QTest::newRow("carriage returns kept on other lines") << "A=1\r\nTELEGRAM_BOT_TOKEN=old\r\nB=2\r\n"
                                                              << "A=1\r\nTELEGRAM_BOT_TOKEN=NEW\nB=2\r\n";
        QTest::newRow("key never added") << "A=1\n# TELEGRAM_BOT_TOKEN=x\n"
                                         << "A=1\n# TELEGRAM_BOT_TOKEN=x\n";
        QTest::newRow("empty file") << ""
                                    << "";
    }

    void rewritesTokenLines()
    {
        QFETCH(QString, content);
        QFETCH(QString, expected);
        QCOMPARE(BackendEnvironment::withBotToken(content, QStringLiteral("NEW")), expected);
    }

    void pathFollowsWorkDirectory()
    {
        QCOMPARE(BackendEnvironment::filePath(), QDir::homePath() + "/Documents/GitHub/www/halvex/.env");
        Settings().setValue(SettingsKey::backendWorkDir, "/srv/backend");
        QCOMPARE(BackendEnvironment::filePath(), QStringLiteral("/srv/backend/.env"));
    }

    void writeKeepsModeAndOtherBytes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(".env");
        const QByteArray original = "\xEF\xBB\xBFNAME=caf\xC3\xA9\r\nTELEGRAM_BOT_TOKEN=old\nTAIL=1";
        writeFile(path, original);
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(modeOf(path), mode_t(0600));

        QCOMPARE(BackendEnvironment::writeBotToken(path, "123:abc"), TokenWrite::Written);
        QCOMPARE(readFile(path),
                 QByteArray("\xEF\xBB\xBFNAME=caf\xC3\xA9\r\nTELEGRAM_BOT_TOKEN=123:abc\nTAIL=1"));
        QCOMPARE(modeOf(path), mode_t(0600));
    }

    void unreadableFilesAreLeftAlone_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << false << QByteArray();
        QTest::newRow("not UTF-8") << true << QByteArray("TELEGRAM_BOT_TOKEN=\xFF\xFE\n");
    }

    void unreadableFilesAreLeftAlone()
    {
        QFETCH(bool, exists);
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath(".env");
        if (exists)
            writeFile(path, content);
        QCOMPARE(BackendEnvironment::writeBotToken(path, "t"), TokenWrite::Unreadable);
        QCOMPARE(QFile::exists(path), exists);
        if (exists)
            QCOMPARE(readFile(path), content);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), exists ? 1 : 0);
    }

    void tokenWithLineBreakIsRefused()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(".env");
        writeFile(path, "TELEGRAM_BOT_TOKEN=old\n");
        QCOMPARE(BackendEnvironment::writeBotToken(path, "abc\nEXTRA=1"), TokenWrite::RefusedToken);
        QCOMPARE(BackendEnvironment::writeBotToken(path, "abc\r"), TokenWrite::RefusedToken);
        QCOMPARE(readFile(path), QByteArray("TELEGRAM_BOT_TOKEN=old\n"));
    }

    void writeFailureIsReported()
    {
        if (::geteuid() == 0)
            QSKIP("the superuser writes into read-only directories");
        QTemporaryDir dir;
        const QString path = dir.filePath(".env");
        writeFile(path, "TELEGRAM_BOT_TOKEN=old\n");
        // The atomic write needs a new file beside the old one: a read-only directory refuses it.
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        const TokenWrite outcome = BackendEnvironment::writeBotToken(path, "new");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(outcome, TokenWrite::WriteFailed);
        QCOMPARE(readFile(path), QByteArray("TELEGRAM_BOT_TOKEN=old\n"));
    }
};

QTEST_GUILESS_MAIN(BackendEnvironmentTest)
#include "tst_backendenvironment.moc"
