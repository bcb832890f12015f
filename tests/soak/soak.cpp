#include "support/HalvexdProcess.h"
#include "support/RawHttp.h"
#include "support/ResidentMemory.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QScopeGuard>
#include <QTcpSocket>
#include <QTest>

#include <csignal>
#include <cstdio>

// `make soak`: a million log lines through `halvex --headless` at full speed, then ten thousand requests
// to halvexd over every endpoint, with the resident memory of each sampled every second. Memory after
// the run must stay within 10 % of its value after the warm-up, and in a sanitizer build neither program
// may report a leak or an error when it stops (`--sanitizer`: only that is judged). Prints the figures;
// exit status 1 on a failure.
namespace {

constexpr int logLines = 1'000'000;
constexpr int distinctApps = 5'000; // beyond the 500-alert cap, and each comes back after its cooldown
constexpr int requests = 10'000;
constexpr double allowedGrowth = 0.10;

struct Samples
{
    QList<qint64> kib;
    qint64 warm = -1;

    void take(qint64 pid) { kib << residentKilobytes(pid); }
    void markWarm() { warm = kib.isEmpty() ? -1 : kib.last(); }
    bool flat() const { return warm > 0 && kib.last() > 0 && kib.last() <= warm * (1 + allowedGrowth); }
    // Under AddressSanitizer freed memory waits in a quarantine of its own, so the resident size says
    // nothing about leaks there: LeakSanitizer does.
    static inline bool judged = true;
    bool verdict() const { return !judged || flat(); }

    void print(const char* what) const
    {
        std::printf("%s: RSS after warm-up %lld KiB, at the end %lld KiB (%+.1f %%), peak %lld KiB, %lld "
                    "samples\n  ",
                    what, warm, kib.last(), warm > 0 ? 100.0 * double(kib.last() - warm) / double(warm) : 0.0,
                    *std::max_element(kib.cbegin(), kib.cend()), qint64(kib.size()));
        // At most 20 of the samples, evenly spread, so the curve fits on a line.
        const qsizetype step = std::max<qsizetype>(1, kib.size() / 20);
        for (qsizetype i = 0; i < kib.size(); i += step)
            std::printf("%lld ", kib[i]);
        std::printf("… %lld KiB\n", kib.last());
        std::fflush(stdout);
    }
};

// A sanitizer build writes its reports to standard error when the process ends.
bool sanitizerClean(const QString& what, const QString& errors)
{
    if (!errors.contains(QLatin1String("Sanitizer")))
        return true;
    std::printf("%s reported:\n%s\n", qPrintable(what), qPrintable(errors.right(4000)));
    return false;
}

bool soakHeadless()
{
    TemporaryHome home;
    FakeTool log(QStringLiteral("HALVEX_TOOL_LOG"));
    const QString progress = home.path() + QStringLiteral("/progress");
    log.setScriptBody(
        QStringLiteral("i=0\n"
                       "while [ $i -lt %1 ]; do\n"
                       "  printf 'tccd: AUTHREQ kTCCServiceMicrophone attributedBundleIdentifier="
                       "com.soak.app%d\\n' $((i % %2))\n"
                       "  i=$((i+1))\n"
                       "  [ $((i % 10000)) -eq 0 ] && echo $i > '%3'\n"
                       "done\n"
                       "exec sleep 3600\n")
            .arg(logLines)
            .arg(distinctApps)
            .arg(progress));
    qputenv("HALVEX_TOOL_OSASCRIPT", "/bin/true");

    QProcess halvex;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HALVEX_PLATFORM"), QStringLiteral("macos"));
    halvex.setProcessEnvironment(environment);
    halvex.setStandardOutputFile(QProcess::nullDevice());
    const QString errorsPath = home.path() + QStringLiteral("/stderr");
    halvex.setStandardErrorFile(errorsPath);
    halvex.start(QStringLiteral(HALVEX_BINARY_DIR "/src/halvex"), {QStringLiteral("--headless")});
    if (!halvex.waitForStarted())
        return false;

    auto linesRead = [&] {
        QFile file(progress);
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toInt() : 0;
    };
    Samples samples;
    QElapsedTimer clock;
    clock.start();
    while (linesRead() < logLines && halvex.state() == QProcess::Running) {
        QTest::qWait(1000);
        samples.take(halvex.processId());
        if (samples.warm < 0 && linesRead() >= logLines / 10)
            samples.markWarm();
    }
    QTest::qWait(2000); // the last lines still in the pipe, and the last write of the file
    samples.take(halvex.processId());
    const double seconds = double(clock.elapsed()) / 1000.0;
    ::kill(pid_t(halvex.processId()), SIGTERM);
    const bool stopped = halvex.waitForFinished(30000) && halvex.exitStatus() == QProcess::NormalExit &&
                         halvex.exitCode() == 0;

    std::printf("halvex --headless: %d log lines over %d applications in %.1f s (%.0f lines/s)\n", logLines,
                distinctApps, seconds, logLines / seconds);
    samples.print("halvex --headless");
    QFile errors(errorsPath);
    errors.open(QIODevice::ReadOnly);
    const bool clean = sanitizerClean(QStringLiteral("halvex"), QString::fromUtf8(errors.readAll()));
    if (!stopped)
        std::printf("halvex did not stop cleanly\n");
    return samples.verdict() && stopped && clean;
}

// Milliseconds spent per endpoint, to tell which one a slow run spends its time in.
QMap<QByteArray, qint64>& endpointMs()
{
    static QMap<QByteArray, qint64> spent;
    return spent;
}

std::optional<RawHttpResponse> call(quint16 port, const QByteArray& method, const QByteArray& path,
                                    const QJsonObject& body = {})
{
    QElapsedTimer timer;
    timer.start();
    const auto measured = qScopeGuard([&] {
        const QByteArray route = path.count('/') > 2 && !path.startsWith("/api/config")
                                     ? path.left(path.lastIndexOf('/')) + "/*"
                                     : path;
        endpointMs()[method + ' ' + route] += timer.elapsed();
    });
    // Blocking waits rather than the polling of the tests' client, whose sleeps would be most of what is
    // measured here.
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000))
        return std::nullopt;
    socket.write(RawHttpConnection::request(
        method, path, port,
        body.isEmpty() ? QByteArray() : QJsonDocument(body).toJson(QJsonDocument::Compact),
        "Connection: close\r\n"));
    QByteArray reply;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(20000))
        reply += socket.readAll();
    reply += socket.readAll();
    const qsizetype headEnd = reply.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return std::nullopt;
    RawHttpResponse response;
    response.status = reply.left(reply.indexOf('\r')).split(' ').value(1).toInt();
    response.body = reply.mid(headEnd + 4);
    return response;
}

bool soakHalvexd()
{
    TemporaryHome home;
    const QString workDir = home.path() + QStringLiteral("/work");
    QDir().mkpath(workDir);
    HalvexdProcess halvexd(home.path(), workDir);
    // Telegram calls go to a loopback port nobody listens on: they fail at once, as offline.
    halvexd.setEnvironment(QStringLiteral("HALVEX_TELEGRAM_API"),
                           QStringLiteral("http://127.0.0.1:%1").arg(HalvexdProcess::freePort()));
    if (!halvexd.start())
        return false;
    const quint16 port = halvexd.port();

    Samples samples;
    QElapsedTimer clock;
    clock.start();
    qint64 nextSample = 1000;
    int failures = 0;
    int sent = 0;
    QString skillId;
    auto note = [&](const std::optional<RawHttpResponse>& response) {
        ++sent;
        // The Telegram endpoints answer their own errors while offline; an answer missing is the failure.
        if (!response)
            ++failures;
        return response ? QJsonDocument::fromJson(response->body).object() : QJsonObject();
    };
    while (sent < requests) {
        note(call(port, "GET", "/api/status"));
        note(call(port, "GET", "/api/stats"));
        note(call(port, "GET", "/api/xmtp-address"));
        note(call(port, "GET", "/api/config/bot-info"));
        const QJsonObject created =
            note(call(port, "POST", "/api/custom-skills",
                      {{"name", "soak"}, {"emoji", "🧪"}, {"script", "echo soak"}}));
        skillId = created.value(QStringLiteral("id")).toString();
        note(call(port, "PUT", "/api/custom-skills/" + skillId.toUtf8(),
                  {{"name", "soak again"}, {"script", "echo soak again"}}));
        note(call(port, "GET", "/api/custom-skills"));
        note(call(port, "POST", "/api/automations", {{"skillId", skillId}}));
        note(call(port, "GET", "/api/automations"));
        note(call(port, "POST", "/api/command", {{"command", skillId}}));
        note(call(port, "POST", "/api/chat", {{"message", "help"}}));
        note(call(port, "POST", "/api/config/chat-id", {{"telegramChatId", "123456"}}));
        note(call(port, "POST", "/api/config/authorize", {}));
        note(call(port, "POST", "/api/setup", {{"telegramChatId", "123456"}}));
        note(call(port, "DELETE", "/api/automations/auto-" + skillId.toUtf8()));
        note(call(port, "DELETE", "/api/custom-skills/" + skillId.toUtf8()));
        if (clock.elapsed() >= nextSample) {
            samples.take(halvexd.pid());
            nextSample += 1000;
        }
        if (samples.warm < 0 && sent >= requests / 10 && !samples.kib.isEmpty())
            samples.markWarm();
    }
    samples.take(halvexd.pid());
    const double seconds = double(clock.elapsed()) / 1000.0;
    const bool stopped = halvexd.stop() == 0;

    std::printf("halvexd: %d requests over 16 endpoints in %.1f s (%.0f requests/s), %d unanswered\n", sent,
                seconds, sent / seconds, failures);
    samples.print("halvexd");
    for (auto it = endpointMs().cbegin(); it != endpointMs().cend(); ++it)
        std::printf("  %-32s %6.1f ms per request\n", it.key().constData(),
                    double(it.value()) / (requests / 16.0));
    const bool clean = sanitizerClean(QStringLiteral("halvexd"), halvexd.output());
    if (!stopped)
        std::printf("halvexd did not stop cleanly\n");
    return samples.verdict() && stopped && clean && failures == 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    Samples::judged = !application.arguments().contains(QStringLiteral("--sanitizer"));
    const bool headless = soakHeadless();
    const bool backend = soakHalvexd();
    const char* good = Samples::judged ? "flat" : "no leak";
    std::printf("soak: halvex %s, halvexd %s\n", headless ? good : "FAILED", backend ? good : "FAILED");
    return headless && backend ? 0 : 1;
}
