#include "app/HeadlessMode.h"

#include "app/AnalyticsManager.h"
#include "app/AppState.h"
#include "monitor/MonitorEngine.h"
#include "platform/Diagnostics.h"
#include "platform/Settings.h"
#include "platform/UnixSignals.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <cstdio>

namespace HeadlessMode {
namespace {

void printAlert(const SecurityAlert& alert)
{
    const QByteArray line = QJsonDocument(alert.toJson()).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}

} // namespace

int run(QCoreApplication& application)
{
    Diagnostics::setStream(Diagnostics::Stream::StandardError);
    UnixSignals signals;
    AppState state;
    MonitorEngine& engine = state.engine();

    // The stored alerts first, oldest first, so the whole output reads in time order.
    const QList<SecurityAlert>& stored = engine.alerts();
    for (auto it = stored.crbegin(); it != stored.crend(); ++it)
        printAlert(*it);
    QObject::connect(&engine, &MonitorEngine::alertRecorded, &engine, &printAlert);
    QObject::connect(&signals, &UnixSignals::terminationRequested, &application, &QCoreApplication::quit);

    AnalyticsManager::shared().appLaunched();
    if (Settings().protectionEnabled()) {
        engine.start();
        Diagnostics::print(QStringLiteral("Halvex is monitoring in headless mode (Ctrl-C stops it)."));
    } else {
        Diagnostics::print(QStringLiteral("Halvex runs headless with protection switched off."));
    }
    const int status = application.exec();
    engine.stop();
    AnalyticsManager::shared().appWillTerminate();
    return status;
}

} // namespace HeadlessMode
