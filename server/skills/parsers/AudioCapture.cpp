#include "skills/parsers/AudioCapture.h"

#include "skills/parsers/TextFields.h"

#include <QDir>
#include <QRegularExpression>

namespace AudioCapture {

QList<Stream> parsePactlSourceOutputs(const QString& output)
{
    static const QRegularExpression property(QStringLiteral("^\\s*([a-z.]+) = \"(.*)\"$"));
    QList<Stream> streams;
    for (const QString& line : output.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Source Output #"))) {
            streams.append(Stream{});
            continue;
        }
        const QRegularExpressionMatch match = property.match(line);
        if (streams.isEmpty() || !match.hasMatch())
            continue;
        if (match.captured(1) == QLatin1String("application.name"))
            streams.last().application = match.captured(2);
        else if (match.captured(1) == QLatin1String("application.process.id"))
            streams.last().pid = match.captured(2).toLongLong();
    }
    return streams;
}

CaptureState parseAlsaStatus(const QString& statusText)
{
    const QHash<QString, QString> fields = TextFields::colonSeparated(statusText);
    return {fields.value(QStringLiteral("state")) == QLatin1String("RUNNING"),
            fields.value(QStringLiteral("owner_pid")).toLongLong()};
}

QList<std::pair<QString, CaptureState>> runningCaptures(const QString& procRoot)
{
    QList<std::pair<QString, CaptureState>> running;
    const QString asound = procRoot + QStringLiteral("/asound");
    for (const QString& card : QDir(asound).entryList({QStringLiteral("card*")}, QDir::Dirs)) {
        for (const QString& pcm :
             QDir(asound + QLatin1Char('/') + card).entryList({QStringLiteral("pcm*c")}, QDir::Dirs)) {
            const QString pcmPath = asound + QLatin1Char('/') + card + QLatin1Char('/') + pcm;
            for (const QString& sub : QDir(pcmPath).entryList({QStringLiteral("sub*")}, QDir::Dirs)) {
                const CaptureState state = parseAlsaStatus(
                    TextFields::readFile(pcmPath + QLatin1Char('/') + sub + QStringLiteral("/status")));
                if (state.running)
                    running.append({card + QLatin1Char(' ') + pcm + QLatin1Char(' ') + sub, state});
            }
        }
    }
    return running;
}

} // namespace AudioCapture
