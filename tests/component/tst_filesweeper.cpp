#include "skills/FileSweeper.h"
#include "skills/SkillRegistry.h"
#include "skills/TrashSweeper.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

namespace {

constexpr qint64 day = 24 * 60 * 60;

void makeFile(const QString& path, int bytes, qint64 ageDays)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(bytes, 'x'));
    file.close();
    const qint64 when = QDateTime::currentSecsSinceEpoch() - ageDays * day;
    const utimbuf times{time_t(when), time_t(when)};
    QCOMPARE(::utime(QFile::encodeName(path).constData(), &times), 0);
}

void makeTrashInfo(const QString& trash, const QString& infoName, const QDateTime& deleted)
{
    QDir().mkpath(trash + QStringLiteral("/info"));
    QFile file(trash + QStringLiteral("/info/") + infoName);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Trash Info]\nPath=/somewhere\nDeletionDate=" + deleted.toString(Qt::ISODate).toUtf8() +
               "\n");
}

} // namespace

// Deleting regenerable files: age, owner, symbolic links and file system boundaries.
class FileSweeperTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void removesOnlyOldFilesOfTheOwner()
    {
        QTemporaryDir root;
        QTemporaryDir outside;
        const QString cache = root.filePath(QStringLiteral("cache"));
        makeFile(cache + QStringLiteral("/old/a.bin"), 1000, 40);
        makeFile(cache + QStringLiteral("/old/b.bin"), 500, 31);
        makeFile(cache + QStringLiteral("/fresh.bin"), 300, 2);
        makeFile(cache + QStringLiteral("/deep/er/c.bin"), 200, 60);
        makeFile(outside.filePath(QStringLiteral("precious.txt")), 100, 400);
        QVERIFY(QFile::link(outside.path(), cache + QStringLiteral("/link-to-outside")));
        QVERIFY(QFile::link(outside.filePath(QStringLiteral("precious.txt")),
                            cache + QStringLiteral("/link-file")));
        if (::geteuid() == 0) {
            makeFile(cache + QStringLiteral("/foreign.bin"), 700, 90);
            QCOMPARE(
                ::chown(QFile::encodeName(cache + QStringLiteral("/foreign.bin")).constData(), 65534, 65534),
                0);
        }

        FileSweeper::Rule rule;
        rule.owner = ::geteuid();
        rule.olderThanSecs = QDateTime::currentSecsSinceEpoch() - 30 * day;
        rule.removeEmptyDirectories = true;
        const FileSweeper::Result result = FileSweeper::removeOldFiles(cache, rule);

        QCOMPARE(result.files, 3);
        QCOMPARE(result.bytes, 1700);
        QVERIFY(QFile::exists(cache + QStringLiteral("/fresh.bin")));
        QVERIFY(!QFileInfo::exists(cache + QStringLiteral("/old"))); // emptied, then removed
        QVERIFY(!QFileInfo::exists(cache + QStringLiteral("/deep")));
        QVERIFY(QFile::exists(outside.filePath(QStringLiteral("precious.txt"))));
        QVERIFY(QFileInfo(cache + QStringLiteral("/link-to-outside")).isSymLink());
        QVERIFY(QFileInfo(cache + QStringLiteral("/link-file")).isSymLink());
        if (::geteuid() == 0)
            QVERIFY(QFile::exists(cache + QStringLiteral("/foreign.bin")));
    }

    void accessTimeKeepsRecentlyReadFiles()
    {
        QTemporaryDir root;
        const QString file = root.filePath(QStringLiteral("read-yesterday"));
        makeFile(file, 10, 20);
        const qint64 yesterday = QDateTime::currentSecsSinceEpoch() - day;
        const utimbuf times{time_t(yesterday), time_t(QDateTime::currentSecsSinceEpoch() - 20 * day)};
        QCOMPARE(::utime(QFile::encodeName(file).constData(), &times), 0);
        FileSweeper::Rule rule;
        rule.owner = ::geteuid();
        rule.olderThanSecs = QDateTime::currentSecsSinceEpoch() - 10 * day;
        rule.checkAccessTime = true;
        QCOMPARE(FileSweeper::removeOldFiles(root.path(), rule).files, 0);
        rule.checkAccessTime = false;
        QCOMPARE(FileSweeper::removeOldFiles(root.path(), rule).files, 1);
    }

    void refusesSymlinkedRoot()
    {
        QTemporaryDir root;
        QTemporaryDir target;
        makeFile(target.filePath(QStringLiteral("old.bin")), 10, 100);
        QVERIFY(QFile::link(target.path(), root.filePath(QStringLiteral("cache"))));
        FileSweeper::Rule rule;
        rule.owner = ::geteuid();
        rule.olderThanSecs = QDateTime::currentSecsSinceEpoch();
        QCOMPARE(FileSweeper::removeOldFiles(root.filePath(QStringLiteral("cache")), rule).files, 0);
        QVERIFY(QFile::exists(target.filePath(QStringLiteral("old.bin"))));
    }

    void removesTreeWithoutFollowingLinks()
    {
        QTemporaryDir root;
        QTemporaryDir outside;
        makeFile(root.filePath(QStringLiteral("item/a.txt")), 40, 0);
        makeFile(root.filePath(QStringLiteral("item/sub/b.txt")), 60, 0);
        makeFile(outside.filePath(QStringLiteral("keep.txt")), 10, 0);
        QVERIFY(QFile::link(outside.path(), root.filePath(QStringLiteral("item/sub/out"))));
        const FileSweeper::Result result =
            FileSweeper::removeTree(root.filePath(QStringLiteral("item")), ::geteuid());
        QCOMPARE(result.bytes, 100);
        QCOMPARE(result.files, 3); // two files and the link itself
        QVERIFY(!QFileInfo::exists(root.filePath(QStringLiteral("item"))));
        QVERIFY(QFile::exists(outside.filePath(QStringLiteral("keep.txt"))));
    }

    // An info file names one item of Trash/files. Names that are no single entry ("..", "." and the
    // empty name) and a Trash/files that is a link must leave everything but the old item alone.
    void trashRemovesOnlyTheNamedOldItems_data()
    {
        QTest::addColumn<QString>("infoName");
        QTest::addColumn<bool>("filesIsLink");
        QTest::newRow("dot-dot names Trash/files") << QStringLiteral("..trashinfo") << false;
        QTest::newRow("three dots name the trash") << QStringLiteral("...trashinfo") << false;
        QTest::newRow("empty name") << QStringLiteral(".trashinfo") << false;
        QTest::newRow("files is a link, dot-dot") << QStringLiteral("..trashinfo") << true;
        QTest::newRow("files is a link, three dots") << QStringLiteral("...trashinfo") << true;
        QTest::newRow("files is a link, an item") << QStringLiteral("precious.txt.trashinfo") << true;
    }

    void trashRemovesOnlyTheNamedOldItems()
    {
        QFETCH(QString, infoName);
        QFETCH(bool, filesIsLink);
        QTemporaryDir home;
        QTemporaryDir outside;
        const QString trash = home.filePath(QStringLiteral(".local/share/Trash"));
        const QDateTime now = QDateTime::currentDateTime();
        makeFile(outside.filePath(QStringLiteral("precious.txt")), 10, 400);
        const QString files = trash + QStringLiteral("/files");
        if (filesIsLink) {
            QDir().mkpath(trash);
            QVERIFY(QFile::link(outside.path(), files));
        } else {
            makeFile(files + QStringLiteral("/old.txt"), 30, 100);
            makeFile(files + QStringLiteral("/recent.txt"), 20, 100);
            makeTrashInfo(trash, QStringLiteral("old.txt.trashinfo"), now.addDays(-90));
            makeTrashInfo(trash, QStringLiteral("recent.txt.trashinfo"), now.addDays(-1));
        }
        makeTrashInfo(trash, infoName, now.addDays(-365));

        const FileSweeper::Result result =
            TrashSweeper::removeDeletedBefore(home.path(), now.addDays(-30), ::geteuid());

        QVERIFY(QFile::exists(outside.filePath(QStringLiteral("precious.txt"))));
        QVERIFY(QFileInfo(trash + QStringLiteral("/info")).isDir());
        if (filesIsLink) {
            QCOMPARE(result.files, 0);
            QVERIFY(QFileInfo(files).isSymLink());
            return;
        }
        QCOMPARE(result.files, 1);
        QCOMPARE(result.bytes, 30);
        QVERIFY(!QFileInfo::exists(files + QStringLiteral("/old.txt")));
        QVERIFY(!QFileInfo::exists(trash + QStringLiteral("/info/old.txt.trashinfo")));
        QVERIFY(QFile::exists(files + QStringLiteral("/recent.txt")));
        QVERIFY(QFile::exists(trash + QStringLiteral("/info/recent.txt.trashinfo")));
    }

    // An info entry that is not a regular file (here a link to an old-looking info file elsewhere)
    // does not count.
    void trashInfoMustBeARegularFile()
    {
        QTemporaryDir home;
        QTemporaryDir outside;
        const QString trash = home.filePath(QStringLiteral(".local/share/Trash"));
        makeFile(trash + QStringLiteral("/files/item.txt"), 10, 100);
        makeTrashInfo(outside.path(), QStringLiteral("item.txt.trashinfo"),
                      QDateTime::currentDateTime().addDays(-365));
        QDir().mkpath(trash + QStringLiteral("/info"));
        QVERIFY(QFile::link(outside.filePath(QStringLiteral("info/item.txt.trashinfo")),
                            trash + QStringLiteral("/info/item.txt.trashinfo")));
        QCOMPARE(
            TrashSweeper::removeDeletedBefore(home.path(), QDateTime::currentDateTime(), ::geteuid()).files,
            0);
        QVERIFY(QFile::exists(trash + QStringLiteral("/files/item.txt")));
    }

    // The cache clean-up of halvexd: what an application still reads, and the folders it made
    // itself, stay; only directories the sweep emptied go.
    void cacheCleanupKeepsWhatIsInUse()
    {
        QTemporaryDir home;
        QTemporaryDir temp;
        const QString cache = home.filePath(QStringLiteral(".cache"));
        makeFile(cache + QStringLiteral("/app/old.bin"), 100, 60);
        makeFile(cache + QStringLiteral("/app/read-today.bin"), 50, 40);
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        const utimbuf readToday{time_t(now), time_t(now - 40 * day)};
        QCOMPARE(
            ::utime(QFile::encodeName(cache + QStringLiteral("/app/read-today.bin")).constData(), &readToday),
            0);
        makeFile(cache + QStringLiteral("/gone/er/old.bin"), 10, 60);
        QVERIFY(QDir().mkpath(cache + QStringLiteral("/fresh-empty/inner")));

        const Skill* skill = SkillRegistry::find(QStringLiteral("clean-cache"));
        QVERIFY(skill);
        SkillInput input;
        input.paths = HostPaths::current();
        input.paths.home = home.path();
        input.paths.temp = temp.path();
        input.now = QDateTime::currentDateTime();
        const QString answer = skill->answer(input);

        QVERIFY2(answer.contains(QStringLiteral("(2 files)")), qPrintable(answer));
        QVERIFY(!QFileInfo::exists(cache + QStringLiteral("/app/old.bin")));
        QVERIFY(QFile::exists(cache + QStringLiteral("/app/read-today.bin")));
        QVERIFY(!QFileInfo::exists(cache + QStringLiteral("/gone")));
        QVERIFY(QFileInfo(cache + QStringLiteral("/fresh-empty/inner")).isDir());
    }
};

QTEST_GUILESS_MAIN(FileSweeperTest)
#include "tst_filesweeper.moc"
