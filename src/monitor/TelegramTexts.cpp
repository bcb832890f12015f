#include "monitor/TelegramTexts.h"

#include "monitor/TccLineParser.h"

#include <QByteArray>

#include <iterator>

namespace TelegramTexts {

QString typeEmoji(const QString& type)
{
    if (type == u"camera")
        return QStringLiteral("📷");
    if (type == u"microphone")
        return QStringLiteral("🎤");
    if (type == u"location")
        return QStringLiteral("📍");
    return QStringLiteral("⚠️");
}

QString firstAlertText(const QString& type, const QString& displayApp)
{
    return typeEmoji(type) + QLatin1Char(' ') + displayApp + QLatin1Char(' ') +
           TccLineParser::typeAction(type);
}

QString digestText(const QString& type, qint64 count)
{
    const QString times =
        count == 2 ? QStringLiteral("twice") : QString::number(count) + QStringLiteral(" times");
    return typeEmoji(type) + QStringLiteral(" Your ") + type + QStringLiteral(" was used ") + times +
           QStringLiteral(" in the last 5 minutes");
}

QString welcomeText()
{
    return QStringLiteral("✅ Halvex is connected!\n\nYou'll receive alerts here when an app accesses your "
                          "camera, microphone, or location.");
}

QString forceQuitAnswer(const QString& name)
{
    return QStringLiteral("🚫 ") + name + QStringLiteral(" force-quit!");
}

QString forceQuitConfirmation(const QString& name)
{
    return QStringLiteral("🚫 ") + name + QStringLiteral(" has been force-quit.");
}

QString unknownAppAnswer()
{
    return QStringLiteral("Unknown app");
}

QString buttonName(const QString& rawApp)
{
    return blockCallbackData(rawApp).mid(qsizetype(std::size(blockPrefix) - 1));
}

QString blockCallbackData(const QString& rawApp)
{
    const QByteArray data = (QLatin1String(blockPrefix) + rawApp).toUtf8();
    if (data.size() <= maxCallbackDataBytes)
        return QString::fromUtf8(data);
    qsizetype cut = maxCallbackDataBytes;
    // Step back over continuation bytes (10xxxxxx) to the start of the character that does not fit.
    while (cut > 0 && (quint8(data[cut]) & 0xC0) == 0x80)
        --cut;
    return QString::fromUtf8(data.left(cut));
}

} // namespace TelegramTexts
