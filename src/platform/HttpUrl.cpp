#include "platform/HttpUrl.h"

namespace HttpUrl {

std::optional<QUrl> parseBase(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return std::nullopt;
    return url;
}

QUrl appendPath(const QUrl& base, const QString& path)
{
    QString joined = base.path(QUrl::FullyEncoded);
    if (!joined.endsWith(QLatin1Char('/')))
        joined += QLatin1Char('/');
    QUrl url = base;
    url.setPath(joined + path, QUrl::TolerantMode);
    return url;
}

std::optional<QString> escapedSegment(const QString& text)
{
    if (text.isEmpty() || text == QLatin1String(".") || text == QLatin1String(".."))
        return std::nullopt;
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

} // namespace HttpUrl
