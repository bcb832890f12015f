#include "app/HeadlessMode.h"

#include "app/UnixSignals.h"
#include "monitor/MonitorEngine.h"
#include "platform/Diagnostics.h"

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
    MonitorEngine engine(false);

    // The stored alerts first, oldest first, so the whole output reads in time order.
    const QList<SecurityAlert>& stored = engine.alerts();
    for (auto it = stored.crbegin(); it != stored.crend(); ++it)
        printAlert(*it);
    QObject::connect(&engine, &MonitorEngine::alertRecorded, &engine, &printAlert);
    QObject::connect(&signals, &UnixSignals::terminationRequested, &application, [&engine]() {
        engine.stop();
        QCoreApplication::exit(0);
    });

    engine.start();
    Diagnostics::print(QStringLiteral("Halvex is monitoring in headless mode (Ctrl-C stops it)."));
    const int status = application.exec();
    engine.stop();
    return status;
}

} // namespace HeadlessMode
