#include "app/DashboardRules.h"

#include "platform/PlatformWording.h"

#include <QJsonDocument>
#include <QJsonValue>

namespace DashboardRules {
namespace {

enum class Kind { Camera, Microphone, Location, Network, Screen, Other };

Kind kindOf(const QString& type)
{
    const QString lower = type.toLower();
    if (lower == u"camera")
        return Kind::Camera;
    if (lower == u"microphone")
        return Kind::Microphone;
    if (lower == u"location")
        return Kind::Location;
    if (lower == u"network")
        return Kind::Network;
    if (lower == u"screen_recording" || lower == u"screen")
        return Kind::Screen;
    return Kind::Other;
}

bool isMac(Platform::Kind platform)
{
    return platform == Platform::Kind::MacOS;
}

} // namespace

QColor riskColor(RiskLevel risk)
{
    switch (risk) {
    case RiskLevel::normal:
        return QColor::fromRgbF(0.18f, 0.8f, 0.35f);
    case RiskLevel::unusual:
        return QColor::fromRgbF(1.0f, 0.75f, 0.15f);
    case RiskLevel::danger:
        break;
    }
    return QColor::fromRgbF(1.0f, 0.27f, 0.22f);
}

QString riskBadgeSymbol(RiskLevel risk)
{
    switch (risk) {
    case RiskLevel::normal:
        return QStringLiteral("checkmark.shield.fill");
    case RiskLevel::unusual:
        return QStringLiteral("exclamationmark.triangle.fill");
    case RiskLevel::danger:
        break;
    }
    return QStringLiteral("xmark.shield.fill");
}

QString riskSheetLabel(RiskLevel risk)
{
    switch (risk) {
    case RiskLevel::normal:
        return QStringLiteral("Normal");
    case RiskLevel::unusual:
        return QStringLiteral("Inhabituel");
    case RiskLevel::danger:
        break;
    }
    return QStringLiteral("Danger");
}

QString typeIcon(const QString& type)
{
    switch (kindOf(type)) {
    case Kind::Camera:
        return QStringLiteral("camera.fill");
    case Kind::Microphone:
        return QStringLiteral("mic.fill");
    case Kind::Location:
        return QStringLiteral("location.fill");
    case Kind::Network:
        return QStringLiteral("network");
    case Kind::Screen:
        return QStringLiteral("rectangle.on.rectangle.fill");
    case Kind::Other:
        break;
    }
    return QStringLiteral("exclamationmark.circle.fill");
}

QColor typeColor(const QString& type)
{
    switch (kindOf(type)) {
    case Kind::Camera:
        return QColor::fromRgbF(0.25f, 0.55f, 1.0f);
    case Kind::Microphone:
        return QColor::fromRgbF(0.65f, 0.3f, 1.0f);
    case Kind::Location:
        return QColor::fromRgbF(1.0f, 0.6f, 0.15f);
    case Kind::Network:
        return QColor::fromRgbF(0.2f, 0.78f, 0.45f);
    case Kind::Screen:
        return QColor::fromRgbF(1.0f, 0.4f, 0.2f);
    case Kind::Other:
        break;
    }
    return QColor::fromRgbF(1, 1, 1, 0.55f); // Obsidian.dim
}

QString humanTypeName(const QString& type)
{
    switch (kindOf(type)) {
    case Kind::Camera:
        return QStringLiteral("la caméra");
    case Kind::Microphone:
        return QStringLiteral("le micro");
    case Kind::Location:
        return QStringLiteral("ta position");
    case Kind::Network:
        return QStringLiteral("le réseau");
    case Kind::Screen:
        return QStringLiteral("l'écran");
    case Kind::Other:
        break;
    }
    return type;
}

QString sentenceEnding(const QString& type)
{
    switch (kindOf(type)) {
    case Kind::Camera:
        return QStringLiteral(" a regardé par ta caméra");
    case Kind::Microphone:
        return QStringLiteral(" a utilisé ton micro");
    case Kind::Location:
        return QStringLiteral(" a demandé ta position exacte");
    case Kind::Network:
        return QStringLiteral(" a ouvert des connexions réseau");
    case Kind::Screen:
        return QStringLiteral(" a capturé ton écran");
    case Kind::Other:
        break;
    }
    return QStringLiteral(" a déclenché un événement");
}

QString humanSentence(const QString& type, const QString& name, int count)
{
    QString sentence = name + sentenceEnding(type);
    if (count >= 2)
        sentence += QStringLiteral(" · ") + QString::number(count) + QStringLiteral("×");
    return sentence;
}

QString headline(const AppAlert& alert)
{
    if (alert.types.size() == 1)
        return humanSentence(alert.types.first(), alert.friendlyName, alert.totalCount);
    QStringList named;
    for (qsizetype i = 0; i < std::min<qsizetype>(2, alert.types.size()); ++i)
        named << humanTypeName(alert.types[i]);
    return alert.friendlyName + QStringLiteral(" a accédé à ") + named.join(QStringLiteral(" et "));
}

QString appDescription(const AppAlert& alert, Platform::Kind platform)
{
    return PlatformWording::adapt(alert.friendlyDesc, platform);
}

QString whyExplanation(const AppAlert& alert, Platform::Kind platform)
{
    const QString& subject = alert.friendlyName;
    if (alert.isSystem) {
        const QString component = isMac(platform) ? QStringLiteral(" is a built-in macOS component. ")
                                                  : QStringLiteral(" is a built-in system component. ");
        return subject + component + appDescription(alert, platform) +
               QStringLiteral(" This is normal behavior, no action needed.");
    }
    const bool danger = alert.risk == RiskLevel::danger;
    const Kind kind = alert.types.isEmpty() ? Kind::Other : kindOf(alert.types.first());
    switch (kind) {
    case Kind::Camera:
        if (danger)
            return subject +
                   QStringLiteral(" accessed your camera but isn't recognized as a video conferencing "
                                  "tool. It could be recording without your knowledge. We recommend "
                                  "blocking it immediately.");
        return subject +
               QStringLiteral(" activated your camera. If you were in a meeting or video call, this is "
                              "normal. Otherwise, check permissions in ") +
               (isMac(platform) ? QStringLiteral("System Settings > Privacy.")
                                : QStringLiteral("your desktop's privacy settings."));
    case Kind::Microphone:
        if (danger)
            return subject +
                   QStringLiteral(" used your microphone without obvious reason. It could be recording "
                                  "your conversations. This is a warning sign not to ignore.");
        return subject +
               QStringLiteral(" accessed your microphone. Normal if you were on a call or using "
                              "dictation. Otherwise, check permissions in ") +
               (isMac(platform) ? QStringLiteral("System Settings.")
                                : QStringLiteral("your desktop's settings."));
    case Kind::Location:
        return subject + QStringLiteral(" requested your precise GPS location. This can be used for maps or "
                                        "weather, but some apps collect your location for ad tracking.");
    case Kind::Screen:
        return subject + QStringLiteral(" captured your screen content. Tools like Loom or OBS do this "
                                        "legitimately, but an unknown app doing this is very suspicious.");
    case Kind::Network:
    case Kind::Other:
        break;
    }
    return subject +
           QStringLiteral(
               " accessed a protected system resource. Check if this is an app you know and trust.");
}

QStringList whatToDo(Platform::Kind platform)
{
    return {
        QStringLiteral("If you recognize this app and its action → nothing to do."),
        QStringLiteral("If the access is unexpected → use the \"Block\" button to force quit."),
        isMac(platform) ? QStringLiteral("To revoke permissions → System Settings > Privacy & Security.")
                        : QStringLiteral("To revoke permissions → your desktop's privacy settings."),
    };
}

QString systemCapsule(Platform::Kind platform)
{
    return isMac(platform) ? QStringLiteral("Apple") : QStringLiteral("System");
}

QString countBadge(int totalCount)
{
    return totalCount >= 2 ? QStringLiteral("×") + QString::number(totalCount) : QString();
}

bool hasThreat(const QList<SecurityAlert>& engineAlerts)
{
    const qsizetype looked = std::min<qsizetype>(5, engineAlerts.size());
    for (qsizetype i = 0; i < looked; ++i) {
        const QString& type = engineAlerts[i].type;
        if (type == u"camera" || type == u"microphone")
            return true;
    }
    return false;
}

bool showsStartButton(bool isConnected, bool serviceInstalled)
{
    return !isConnected && serviceInstalled;
}

std::optional<XmtpState> xmtpFromReply(const QByteArray& body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const QJsonValue running = object.value(QStringLiteral("running"));
    const QJsonValue address = object.value(QStringLiteral("address"));
    return XmtpState{running.isBool() && running.toBool(),
                     address.isString() ? address.toString() : QStringLiteral("Unavailable")};
}

} // namespace DashboardRules
