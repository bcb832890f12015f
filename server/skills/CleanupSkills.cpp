#include "skills/FileSweeper.h"
#include "skills/SkillGroups.h"
#include "skills/SkillText.h"
#include "skills/TrashSweeper.h"
#include "skills/parsers/TextFields.h"

#include <QDateTime>
#include <QDir>

#include <unistd.h>

// Cleanup deletes only data of this user that programs make again when they need it: files under
// ~/.cache neither modified nor read for 30 days, this user's files in the temporary directory untouched for
// 10 days, and trash items deleted more than 30 days ago. Memory is reported, not "freed": Linux hands its
// cache memory back on demand, and dropping it by force needs root and slows the system down.
namespace {

constexpr int cacheAgeDays = 30;
constexpr int tempAgeDays = 10;
constexpr int trashAgeDays = 30;

QString freed(const FileSweeper::Result& result, const QString& what)
{
    return QStringLiteral("%1: %2 freed (%3)")
        .arg(what, SkillText::bytes(result.bytes),
             SkillText::count(result.files, QStringLiteral("file"), QStringLiteral("files")));
}

FileSweeper::Result cleanCache(const SkillInput& input)
{
    FileSweeper::Rule rule;
    rule.owner = ::geteuid();
    rule.olderThanSecs = input.now.addDays(-cacheAgeDays).toSecsSinceEpoch();
    rule.checkAccessTime = true;
    rule.removeEmptyDirectories = true;
    return FileSweeper::removeOldFiles(input.paths.home + QStringLiteral("/.cache"), rule);
}

FileSweeper::Result cleanTemp(const SkillInput& input)
{
    FileSweeper::Rule rule;
    rule.owner = ::geteuid();
    rule.olderThanSecs = input.now.addDays(-tempAgeDays).toSecsSinceEpoch();
    rule.checkAccessTime = true;
    return FileSweeper::removeOldFiles(input.paths.temp, rule);
}

FileSweeper::Result emptyOldTrash(const SkillInput& input)
{
    return TrashSweeper::removeDeletedBefore(input.paths.home, input.now.addDays(-trashAgeDays), ::geteuid());
}

QString memoryReport(const SkillInput& input)
{
    const QHash<QString, QString> memory =
        TextFields::colonSeparated(TextFields::readFile(input.paths.proc + QStringLiteral("/meminfo")));
    const qint64 total = TextFields::leadingNumber(memory.value(QStringLiteral("MemTotal"))) * 1024;
    const qint64 available = TextFields::leadingNumber(memory.value(QStringLiteral("MemAvailable"))) * 1024;
    const qint64 cached = TextFields::leadingNumber(memory.value(QStringLiteral("Cached"))) * 1024;
    if (total <= 0)
        return QStringLiteral("RAM: memory figures are not readable");
    return QStringLiteral("RAM: %1 available of %2 (%3 of it cache that Linux hands back on demand; nothing "
                          "to free by hand)")
        .arg(SkillText::bytes(available), SkillText::bytes(total), SkillText::bytes(cached));
}

Skill skill(const QString& id, std::function<QString(const SkillInput&)> answer)
{
    return {id, {}, std::move(answer), {}};
}

} // namespace

QList<Skill> SkillGroups::cleanup()
{
    return {
        skill(QStringLiteral("clean-ram"), [](const SkillInput& input) { return memoryReport(input); }),
        skill(QStringLiteral("clean-cache"),
              [](const SkillInput& input) {
                  return freed(
                      cleanCache(input),
                      QStringLiteral("Cache (files in ~/.cache unused for %1 days)").arg(cacheAgeDays));
              }),
        skill(QStringLiteral("clean-disk"),
              [](const SkillInput& input) {
                  const FileSweeper::Result trash = emptyOldTrash(input);
                  const FileSweeper::Result temp = cleanTemp(input);
                  return SkillText::lines(
                      {freed(trash, QStringLiteral("Trash (deleted over %1 days ago)").arg(trashAgeDays)),
                       freed(temp, QStringLiteral("Temporary files (unused for %1 days)").arg(tempAgeDays))});
              }),
        skill(QStringLiteral("clean-all"),
              [](const SkillInput& input) {
                  FileSweeper::Result total = cleanCache(input);
                  const FileSweeper::Result cache = total;
                  const FileSweeper::Result trash = emptyOldTrash(input);
                  const FileSweeper::Result temp = cleanTemp(input);
                  total += trash;
                  total += temp;
                  return SkillText::lines(
                      {QStringLiteral("Cleanup done: %1 freed").arg(SkillText::bytes(total.bytes)),
                       freed(cache, QStringLiteral("Cache")), freed(trash, QStringLiteral("Trash")),
                       freed(temp, QStringLiteral("Temporary files")), memoryReport(input)});
              }),
    };
}
