#include "platform/Autostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace Autostart {
namespace {

// Desktop entry values escape backslashes, and Exec arguments with spaces are quoted.
QString execValue(const QString& executable)
{
    QString escaped = executable;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    if (!escaped.contains(QLatin1Char(' ')))
        return escaped;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QByteArray entryText(const QString& executable)
{
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Halvex\n"
               "Comment=Shows which applications use the camera, the microphone and location services\n"
               "Exec=%1\n"
               "Icon=org.halvex.Halvex\n"
               "Terminal=false\n"
               "X-GNOME-Autostart-enabled=true\n")
        .arg(execValue(executable))
        .toUtf8();
}

} // namespace

bool isSupported()
{
#ifdef Q_OS_MACOS
    return false;
#else
    return true;
#endif
}

QString entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/halvex.desktop");
}

bool isEnabled()
{
    return isSupported() && QFileInfo::exists(entryPath());
}

bool setEnabled(bool enabled, const QString& executable)
{
    if (!isSupported())
        return false;
    const QString path = entryPath();
    if (!enabled)
        return !QFileInfo::exists(path) || QFile::remove(path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(entryText(executable.isEmpty() ? QCoreApplication::applicationFilePath() : executable));
    return file.commit();
}

void enableAfterFirstOnboarding(bool wasOnboarded)
{
    if (!wasOnboarded && isSupported() && !isEnabled())
        setEnabled(true);
}

} // namespace Autostart
