#include "app/TrayApplication.h"

#include "app/Settings.h"
#include "monitor/MonitorEngine.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace TrayApplication {
namespace {

QIcon shieldIcon()
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shield;
    shield.moveTo(32, 4);
    shield.lineTo(56, 14);
    shield.cubicTo(56, 38, 46, 52, 32, 60);
    shield.cubicTo(18, 52, 8, 38, 8, 14);
    shield.closeSubpath();
    painter.fillPath(shield, QColor(94, 92, 230));
    return QIcon(pixmap);
}

} // namespace

int run(QApplication& application)
{
    application.setQuitOnLastWindowClosed(false);
    MonitorEngine engine(false);
    if (Settings().protectionEnabled())
        engine.start();

    QMenu menu;
    menu.addAction(QStringLiteral("Quit"), &application, &QCoreApplication::quit);
    QSystemTrayIcon tray(shieldIcon());
    tray.setToolTip(QStringLiteral("Halvex"));
    tray.setContextMenu(&menu);
    tray.show();

    const int status = application.exec();
    engine.stop();
    return status;
}

} // namespace TrayApplication
