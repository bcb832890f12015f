#include "monitor/AlertNotice.h"

AlertNotice AlertNotice::forAlert(const SecurityAlert& alert)
{
    const QString type = alert.type.toLower();
    if (type == u"camera")
        return {QStringLiteral("📷 Camera Access"), alert.app + QStringLiteral(" is using your camera")};
    if (type == u"microphone")
        return {QStringLiteral("🎤 Microphone Access"),
                alert.app + QStringLiteral(" is using your microphone")};
    if (type == u"location")
        return {QStringLiteral("📍 Location Access"), alert.app + QStringLiteral(" accessed your location")};
    return {QStringLiteral("⚠️ Privacy Alert"), alert.app + QStringLiteral(" — ") + alert.type};
}
