#include "BenchUtil.h"
#include "monitor/AlertsFile.h"
#include "monitor/MonitorEngine.h"
#include "platform/Notifier.h"

#include <QCoreApplication>
#include <QTemporaryDir>

namespace {
class SilentNotifier : public Notifier
{
public:
    void notify(const QString&, const QString&, const QString&) override {}
};
} // namespace

// recordAlert with a full list of 500: the main-thread work, and the JSON encoding of the snapshot
// that the writer thread does on every stored alert.
int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("HALVEX_PLATFORM", "linux");
    QCoreApplication application(argc, argv);

    QDateTime now = QDateTime::currentDateTimeUtc();
    MonitorEngine engine(false, std::make_unique<SilentNotifier>(), [&now] { return now; });
    engine.setSources({});
    for (int i = 0; i < 500; ++i)
        engine.recordAlert("camera", QStringLiteral("Warmup%1").arg(i),
                           QStringLiteral("details of the access"));

    const int iterations = 2000;
    int counter = 0;
    const double recordMicros = microsecondsPerIteration(iterations, [&] {
        now = now.addSecs(1);
        engine.recordAlert(
            "microphone", QStringLiteral("App%1").arg(counter++ % 50),
            QStringLiteral("kTCCServiceMicrophone attributedBundleIdentifier=com.example.app"));
    });
    const QList<SecurityAlert> snapshot = engine.alerts();
    const double encodeMicros = microsecondsPerIteration(200, [&] { (void)AlertsFile::encode(snapshot); });
    engine.alertsWriter().waitForIdle();

    report("recordAlert with 500 stored (main thread)", recordMicros / 1000.0, "ms", 2.0);
    report("encode 500-alert snapshot (writer thread)", encodeMicros / 1000.0, "ms", 2.0);
    report("recordAlert + encoding, per stored alert", (recordMicros + encodeMicros) / 1000.0, "ms", 2.0);
    return 0;
}
