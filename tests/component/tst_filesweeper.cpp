#include "skills/FileSweeper.h"

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
};

QTEST_GUILESS_MAIN(FileSweeperTest)
#include "tst_filesweeper.moc"
