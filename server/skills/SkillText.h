#pragma once

#include <QString>
#include <QStringList>

// Wording shared by the skills' answers.
namespace SkillText {

// Decimal units, as file managers show them: "512 B", "1.2 MB", "3.4 GB".
QString bytes(qint64 count);
// "• first\n• second\n… and 3 more"
QString bullets(const QStringList& items, int shown = 15);
// The non-empty parts, one per line.
QString lines(const QStringList& parts);
// "1 file" / "3 files"
QString count(qint64 number, const QString& singular, const QString& plural);
// Said once per answer when this user cannot see other users' processes.
QString otherUsersNote();

} // namespace SkillText

// The answers of the threat scans (rootkit, keylogger, sniffer, DNS leak, clipboard, process audit).
// The desktop calls a reply a threat when it holds "found", "detected", "suspicious", "keylogger",
// "rootkit", "leak" or "intercepting" and neither "none" nor "aucun". So a clean answer always says
// "none", and a finding never contains "none" or "aucun", not even inside a process or file name.
namespace ThreatReport {

// `headline` must hold "none", for example "Keyloggers: none found".
QString clean(const QString& headline, const QStringList& notes = {});
// `headline` must hold a threat word, for example "Possible keylogger detected".
QString finding(const QString& headline, const QStringList& details, const QStringList& notes = {});
// The desktop's verdict on a reply.
bool isThreat(const QString& reply);
// "none" and "aucun" inside names are broken by an invisible zero-width space.
QString withoutNegations(QString text);

} // namespace ThreatReport
