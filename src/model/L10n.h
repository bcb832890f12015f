#pragma once

#include <QString>
#include <QStringView>

#include <array>

// The user-visible texts built from a number or a name, each in a French and an English wording, and
// the lookup of the known-app catalogue. Texts that depend on neither are written in the views.
namespace L10n {

enum class Language { French, English };

// The wording this build speaks.
inline constexpr Language language = Language::English;

// What the user sees for a raw process, application or bundle name.
struct AppInfo
{
    QString name;
    QString desc;
    bool isSystem = false;

    friend bool operator==(const AppInfo&, const AppInfo&) = default;
};

// The description of a name the catalogue does not know.
inline constexpr QStringView unknownAppDescription = u"Third-party application detected on your Mac.";

// The first catalogue row whose key occurs in `app` lower-cased; otherwise a name built from `app`
// (its last path component without helper suffixes and reverse-domain prefixes). Catalogue texts are
// shared with the compiled-in table rather than copied.
AppInfo friendlyApp(QStringView app);

QString accessCount(int n, Language in = language);
QString timesCount(int n, Language in = language);
QString sentenceCamera(const QString& name, Language in = language);
QString sentenceMic(const QString& name, Language in = language);
QString sentenceLocation(const QString& name, Language in = language);
QString sentenceNetwork(const QString& name, Language in = language);
QString sentenceDefault(const QString& name, Language in = language);
QString tgControlsMac(const QString& botUserName, Language in = language);
QString profileTaskCount(int n, Language in = language);
QString activeTasksCount(int n, Language in = language);
QString skillActionDesc(const QString& skillName, Language in = language);
QString seeMore(int n, Language in = language);
QString ramPct(int percent, Language in = language);
QString everyN(int hours, Language in = language);

// One monitoring level; its position in `privacyLevels` is the value of the privacyLevel setting.
struct PrivacyLevel
{
    QStringView emoji;
    QStringView title;
    QStringView desc;
};

inline constexpr std::array<PrivacyLevel, 3> privacyLevels{{
    {u"\U0001F60A", u"Relaxed", u"Camera and microphone only"},
    {u"\U0001F441", u"Normal", u"Camera, mic and location"},
    {u"\U0001F512", u"Paranoid", u"Monitor everything including network"},
}};

} // namespace L10n
