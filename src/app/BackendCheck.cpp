#include "app/BackendCheck.h"

#include "backend/HalvexClient.h"
#include "platform/Diagnostics.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <cstdio>
#include <memory>

namespace BackendCheck {
namespace {

constexpr int requestCount = 3;

struct Answers
{
    bool connected = false;
    std::optional<DashboardStats> stats;
    std::optional<TelegramStatus> telegram;
    int pending = requestCount;
};

template <typename Record> QString describe(const std::optional<Record>& record)
{
    if (!record)
        return QStringLiteral("none");
    return QString::fromUtf8(QJsonDocument(record->toJson()).toJson(QJsonDocument::Compact));
}

Report reportOf(const QUrl& base, const Answers& answers)
{
    Report report;
    report.connected = answers.connected;
    report.lines = {QStringLiteral("Backend: ") + base.toString(),
                    QStringLiteral("Status: ") +
                        (answers.connected ? QStringLiteral("connected") : QStringLiteral("not reachable")),
                    QStringLiteral("Stats: ") + describe(answers.stats),
                    QStringLiteral("Telegram: ") + describe(answers.telegram)};
    return report;
}

} // namespace

void collect(HalvexClient& client, QObject* context, std::function<void(const Report&)> done)
{
    auto answers = std::make_shared<Answers>();
    const QUrl base = client.apiURL();
    auto answered = [answers, base, done]() {
        if (--answers->pending == 0)
            done(reportOf(base, *answers));
    };
    client.checkStatus(context, [answers, answered](bool connected) {
        answers->connected = connected;
        answered();
    });
    client.fetchStats(context, [answers, answered](std::optional<DashboardStats> stats) {
        answers->stats = std::move(stats);
        answered();
    });
    client.fetchTelegramStatus(context, [answers, answered](std::optional<TelegramStatus> telegram) {
        answers->telegram = std::move(telegram);
        answered();
    });
}

int run(QCoreApplication& application)
{
    Diagnostics::setStream(Diagnostics::Stream::StandardError);
    HalvexClient client;
    collect(client, &application, [](const Report& report) {
        const QByteArray text = report.lines.join(QLatin1Char('\n')).toUtf8() + '\n';
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        std::fflush(stdout);
        QCoreApplication::exit(report.connected ? 0 : 1);
    });
    return application.exec();
}

} // namespace BackendCheck
