#include "backend/BackendEnvironment.h"

#include "platform/Settings.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <optional>

namespace BackendEnvironment {
namespace {

std::optional<QString> readUtf8(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    // A leading byte-order mark is kept as text, so the file is written back as it was.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

bool holdsLineBreak(const QString& token)
{
    return token.contains(QLatin1Char('\n')) || token.contains(QLatin1Char('\r'));
}

} // namespace

QString filePath()
{
    return Settings().backendWorkDir() + QStringLiteral("/.env");
}

QString withBotToken(const QString& content, const QString& token)
{
    const QLatin1String key(botTokenKey);
    QStringList lines = content.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.startsWith(key))
            line = key + token;
    }
    return lines.join(QLatin1Char('\n'));
}

TokenWrite writeBotToken(const QString& path, const QString& token)
{
    if (holdsLineBreak(token))
        return TokenWrite::RefusedToken;
    const std::optional<QString> content = readUtf8(path);
    if (!content)
        return TokenWrite::Unreadable;
    // QSaveFile gives the new file the old one's permissions before it replaces it.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return TokenWrite::WriteFailed;
    file.write(withBotToken(*content, token).toUtf8());
    return file.commit() ? TokenWrite::Written : TokenWrite::WriteFailed;
}

} // namespace BackendEnvironment
