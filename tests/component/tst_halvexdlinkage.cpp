#include "support/HalvexdProcess.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

// halvexd is a service without a display: the dynamic loader must not map the desktop's GUI or QML
// libraries into it.
class HalvexdLinkageTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadsNoDesktopLibrary()
    {
        QProcess ldd;
        ldd.start(QStringLiteral("ldd"), {HalvexdProcess::binaryPath()});
        QVERIFY(ldd.waitForFinished(30000));
        QCOMPARE(ldd.exitCode(), 0);
        const QString libraries = QString::fromLocal8Bit(ldd.readAllStandardOutput());
        QVERIFY2(libraries.contains(QStringLiteral("libQt6Core.so")), qPrintable(libraries));
        QVERIFY2(libraries.contains(QStringLiteral("libQt6Sql.so")), qPrintable(libraries));
        static const QRegularExpression desktop(
            QStringLiteral(R"(libQt6(Gui|Widgets|Qml\w*|Quick\w*|OpenGL\w*|Svg)\.so)"));
        const QRegularExpressionMatch found = desktop.match(libraries);
        QVERIFY2(!found.hasMatch(), qPrintable(QStringLiteral("halvexd loads %1").arg(found.captured())));
    }
};

QTEST_GUILESS_MAIN(HalvexdLinkageTest)
#include "tst_halvexdlinkage.moc"
