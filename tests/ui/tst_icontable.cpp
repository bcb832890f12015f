#include "app/AutomationSettings.h"
#include "model/MonitoringProfiles.h"
#include "ui/IconTable.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Halvex_UiPlugin)

// The symbol table against the vendored files and against every symbol the views and profiles name.
class IconTableTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everySymbolDrawsSomething()
    {
        const QStringList symbols = IconTable::symbols();
        QVERIFY(!symbols.isEmpty());
        for (const QString& symbol : symbols) {
            const QString path = IconTable::iconPath(symbol);
            QFile file(path);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(symbol + " -> " + path));
            QSvgRenderer renderer(file.readAll());
            QVERIFY2(renderer.isValid(), qPrintable(symbol));
            QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            renderer.render(&painter);
            painter.end();
            QVERIFY2(inkedPixels(image) > 8, qPrintable(symbol));
        }
    }

    void unknownSymbolHasNoIcon() { QVERIFY(IconTable::iconPath("no.such.symbol").isEmpty()); }

    // Every literal symbol a view gives an Icon (`name:`) or a button (`icon:`) is in the table.
    void viewsNameOnlyKnownSymbols()
    {
        static const QRegularExpression literal(
            QStringLiteral("(?:\\bname|\\bicon)\\s*:\\s*\"([a-z0-9.]+)\""));
        static const QRegularExpression ternary(QStringLiteral(
            "(?:\\bname|\\bicon)\\s*:[^\\n]*\\?\\s*\"([a-z0-9.]+)\"\\s*:\\s*\"([a-z0-9.]+)\""));
        int named = 0;
        QDirIterator files(QStringLiteral(":/Halvex/Ui"), {QStringLiteral("*.qml")}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(file.readAll());
            QStringList found;
            for (const auto& pattern : {literal, ternary}) {
                for (auto it = pattern.globalMatch(text); it.hasNext();) {
                    const QRegularExpressionMatch match = it.next();
                    for (int group = 1; group <= pattern.captureCount(); ++group)
                        found << match.captured(group);
                }
            }
            for (const QString& symbol : found) {
                if (symbol.contains(u'.') || IconTable::symbols().contains(symbol)) {
                    QVERIFY2(!IconTable::iconPath(symbol).isEmpty(), qPrintable(path + ": " + symbol));
                    ++named;
                }
            }
        }
        QVERIFY(named >= 10);
    }

    // Symbols that reach the views as data rather than as literals.
    void dataSymbolsAreKnown()
    {
        AutomationSettings automation;
        for (const QVariant& app : automation.knownApps()) {
            const QString symbol = app.toMap().value("symbol").toString();
            QVERIFY2(!IconTable::iconPath(symbol).isEmpty(), qPrintable(symbol));
        }
        for (QStringView key : MonitoringProfiles::keys()) {
            const QString icon = MonitoringProfiles::info(key).icon;
            QVERIFY2(!IconTable::iconPath(icon).isEmpty(), qPrintable(icon));
        }
        QVERIFY(!IconTable::iconPath(MonitoringProfiles::info(u"unknown").icon).isEmpty());
    }

private:
    static int inkedPixels(const QImage& image)
    {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                count += qAlpha(image.pixel(x, y)) > 64 ? 1 : 0;
        }
        return count;
    }
};

QTEST_MAIN(IconTableTest)
#include "tst_icontable.moc"
