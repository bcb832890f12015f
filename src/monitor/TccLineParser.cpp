#include "monitor/TccLineParser.h"

#include "model/TextUtil.h"

#include <QRegularExpression>

#include <array>

namespace TccLineParser {
namespace {

constexpr qsizetype detailsLength = 300;

const std::array<QRegularExpression, 3>& identifierPatterns()
{
    // Compiled and optimised once; QRegularExpression is safe to use from several threads.
    static const std::array<QRegularExpression, 3> patterns = [] {
        const auto options =
            QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption;
        std::array<QRegularExpression, 3> compiled{
            QRegularExpression(QStringLiteral(R"(attributedBundleIdentifier\s*=?\s*([\w\.]{5,40}))"),
                               options),
            QRegularExpression(QStringLiteral(R"(\b(com\.(?!apple\.tccd)[\w\.]{3,40})\b)"), options),
            QRegularExpression(QStringLiteral(R"(identifier\s+([\w\.]+))"), options),
        };
        for (auto& pattern : compiled)
            pattern.optimize();
        return compiled;
    }();
    return patterns;
}

QString accessType(QStringView line)
{
    if (line.contains(u"kTCCServiceCamera"))
        return QStringLiteral("camera");
    if (line.contains(u"kTCCServiceMicrophone"))
        return QStringLiteral("microphone");
    if (line.contains(u"kTCCServiceLocation") || line.contains(u"kTCCServiceLiveLocation"))
        return QStringLiteral("location");
    return {};
}

bool isDenial(QStringView line)
{
    return line.contains(u"deny", Qt::CaseInsensitive) && !line.contains(u"undeny", Qt::CaseInsensitive);
}

} // namespace

QStringList logStreamArguments()
{
    return {
        QStringLiteral("stream"), QStringLiteral("--predicate"),
        QStringLiteral(R"(process == "tccd" AND (message CONTAINS "kTCCServiceCamera" OR message CONTAINS )"
                       R"("kTCCServiceMicrophone" OR message CONTAINS "kTCCServiceLocation" OR message )"
                       R"(CONTAINS "kTCCServiceLiveLocation"))"),
        QStringLiteral("--style"), QStringLiteral("compact")};
}

std::optional<DetectedAccess> parseTCCLine(QStringView line)
{
    const QStringView trimmed = TextUtil::trimSpacesAndTabs(line);
    if (trimmed.isEmpty())
        return std::nullopt;
    const QString type = accessType(trimmed);
    if (type.isEmpty() || isDenial(trimmed))
        return std::nullopt;
    const QString app = extractAppName(trimmed);
    const QString lowered = app.toLower();
    if (lowered == u"tcc" || lowered == u"tccd" || lowered == u"com")
        return std::nullopt;
    return DetectedAccess{type, app, TextUtil::leftCharacters(trimmed, detailsLength)};
}

QString extractAppName(QStringView line)
{
    for (const QRegularExpression& pattern : identifierPatterns()) {
        const QRegularExpressionMatch match = pattern.match(line);
        if (!match.hasMatch())
            continue;
        const QStringView identifier = match.capturedView(1);
        if (identifier == u"com.apple.tccd")
            continue;
        const qsizetype lastDot = identifier.lastIndexOf(QLatin1Char('.'));
        return capitalized(identifier.mid(lastDot + 1).toString());
    }
    return QStringLiteral("Unknown App");
}

QString capitalized(const QString& text)
{
    QString result = text.toLower();
    bool atWordStart = true;
    for (qsizetype i = 0; i < result.size(); ++i) {
        const QChar c = result[i];
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') {
            atWordStart = true;
            continue;
        }
        if (atWordStart && !c.isLowSurrogate()) {
            if (c.isHighSurrogate() && i + 1 < result.size()) {
                const QString upper = result.mid(i, 2).toUpper();
                result.replace(i, 2, upper);
                i += upper.size() - 1;
            } else {
                const QString upper = QString(c).toUpper();
                result.replace(i, 1, upper);
                i += upper.size() - 1;
            }
        }
        atWordStart = false;
    }
    return result;
}

QString typeAction(const QString& type)
{
    if (type == u"camera")
        return QStringLiteral("just turned on your camera");
    if (type == u"microphone")
        return QStringLiteral("just turned on your microphone");
    if (type == u"location")
        return QStringLiteral("just checked your location");
    return QStringLiteral("accessed your ") + type;
}

} // namespace TccLineParser
