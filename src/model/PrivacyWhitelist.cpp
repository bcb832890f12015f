#include "model/PrivacyWhitelist.h"

#include "model/TextUtil.h"

QSet<QString> whitelistedKeys(QStringView privacyWhitelist)
{
    QSet<QString> keys;
    for (QStringView piece : privacyWhitelist.split(u',', Qt::SkipEmptyParts))
        keys.insert(TextUtil::trimSpacesAndTabs(piece).toString());
    return keys;
}
