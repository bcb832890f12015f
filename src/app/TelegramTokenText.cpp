#include "app/TelegramTokenText.h"

#include "model/TextUtil.h"
#include "platform/PlatformWording.h"

namespace TelegramTokenText {
namespace {

QString trimmedOf(const QString& text, QStringView blanks)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && blanks.contains(text.at(start)))
        ++start;
    while (end > start && blanks.contains(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

} // namespace

QString trimmed(const QString& token)
{
    return TextUtil::trimSpacesAndTabs(token).toString();
}

QString pasted(const QString& clipboard)
{
    return trimmedOf(clipboard, u" \t\r\n");
}

QString botLink(const QString& username)
{
    return QStringLiteral("https://t.me/") + username;
}

QString pasteTip(Platform::Kind platform)
{
    return PlatformWording::adapt(
        QStringLiteral("💡 Open Telegram on this Mac to copy-paste the token easily"), platform);
}

QString pasteTipWords(Platform::Kind platform)
{
    return pasteTip(platform).section(QLatin1Char(' '), 1);
}

} // namespace TelegramTokenText
