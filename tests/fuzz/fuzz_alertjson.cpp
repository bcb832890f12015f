#include "FuzzText.h"
#include "model/SecurityAlert.h"
#include "monitor/AlertsFile.h"

#include <QJsonArray>
#include <QJsonObject>

// The alerts file and single alerts: whatever decodes must encode and decode back to itself, or a
// restart would read a different history than the one written.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QJsonDocument document = QJsonDocument::fromJson(FuzzText::bytes(data, size));
    if (document.isObject()) {
        if (const std::optional<SecurityAlert> alert = SecurityAlert::fromJson(document.object())) {
            FuzzText::require(SecurityAlert::fromJson(alert->toJson()) == alert, "one alert round-trips");
            (void)alert->id();
        }
    }
    if (document.isArray()) {
        if (const auto alerts = SecurityAlerts::fromJson(document.array())) {
            const QByteArray encoded = AlertsFile::encode(*alerts);
            FuzzText::require(SecurityAlerts::fromJson(QJsonDocument::fromJson(encoded).array()) == alerts,
                              "the list round-trips through the file's encoding");
        }
    }
    return 0;
}
