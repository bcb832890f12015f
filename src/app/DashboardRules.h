#pragma once

#include "model/AppAlert.h"
#include "model/RiskLevel.h"
#include "model/SecurityAlert.h"
#include "platform/Platform.h"

#include <QColor>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The wording, colour and decision rules of the dashboard window and the settings window, free of any
// view so each can be tested alone. The feed rows speak French, the sheet and the frame English.
namespace DashboardRules {

// The feed draws at most this many applications, in the order groupByApp gives them.
inline constexpr int feedLimit = 100;

QColor riskColor(RiskLevel risk);
QString riskBadgeSymbol(RiskLevel risk);
QString riskSheetLabel(RiskLevel risk);

// The access-type vocabulary of a feed row; the type is compared in lower case and "screen" and
// "screen_recording" are one kind.
QString typeIcon(const QString& type);
QColor typeColor(const QString& type);
QString humanTypeName(const QString& type);
QString sentenceEnding(const QString& type);
// name + the type's ending + " · " + count + "×" when count is 2 or more.
QString humanSentence(const QString& type, const QString& name, int count);

QString headline(const AppAlert& alert);
// The line under the application's name: its catalogue description, which speaks of the Mac, in the
// platform's words.
QString appDescription(const AppAlert& alert, Platform::Kind platform = Platform::current());
// The explanation of the "why" sheet. Off macOS the texts name the desktop's privacy settings and a
// system component in general words.
QString whyExplanation(const AppAlert& alert, Platform::Kind platform = Platform::current());
// The sheet's three "What should I do?" lines.
QStringList whatToDo(Platform::Kind platform = Platform::current());
// The capsule beside a built-in component's name: "Apple" on macOS, "System" elsewhere.
QString systemCapsule(Platform::Kind platform = Platform::current());
// "×3" from 2 on; empty below.
QString countBadge(int totalCount);

// Whether any of the first five engine alerts is a camera or microphone access.
bool hasThreat(const QList<SecurityAlert>& engineAlerts);

// The services card's "Start": only for a backend that does not answer and whose service is installed.
bool showsStartButton(bool isConnected, bool serviceInstalled);

// What a reply of api/xmtp-address changes; absent when its body is not a JSON object.
struct XmtpState
{
    bool running = false;
    QString address;

    friend bool operator==(const XmtpState&, const XmtpState&) = default;
};
std::optional<XmtpState> xmtpFromReply(const QByteArray& body);

} // namespace DashboardRules
