#include "monitor/PermissionAudit.h"

#include "monitor/TccLineParser.h"
#include "platform/ChildProcess.h"
#include "platform/ToolEnvironment.h"
#include "platform/ToolPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>

struct PermissionAudit::Run
{
    QStringList paths;
    qsizetype next = 0;
    QSet<QString> seen;
    QList<AppPermission> result;
    std::function<void(const QList<AppPermission>&)> done;
};

namespace {

bool isAllowed(const QString& authText)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
    if (!decimal.match(authText).hasMatch())
        return false;
    bool inRange = false;
    const qlonglong value = authText.toLongLong(&inRange);
    return inRange && value == 2;
}

QString decodedOutput(const ProcessResult& result)
{
    // A killed or capped tool leaves a cut-off last row whose fields would be misread.
    if (!result.started || result.timedOut || result.crashed || result.outputTruncated)
        return {};
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(result.standardOutput);
    return decoder.hasError() ? QString() : text;
}

} // namespace

PermissionAudit::PermissionAudit(QObject* parent) : QObject(parent), m_databasePaths(defaultDatabasePaths())
{
}

QStringList PermissionAudit::defaultDatabasePaths()
{
    const QString relative = QStringLiteral("/Library/Application Support/com.apple.TCC/TCC.db");
    return {QDir::homePath() + relative, relative};
}

QString PermissionAudit::query()
{
    return QStringLiteral("SELECT service, client, auth_value FROM access WHERE service IN "
                          "('kTCCServiceCamera','kTCCServiceMicrophone','kTCCServiceLocation',"
                          "'kTCCServiceLiveLocation') ORDER BY service, client;");
}

QStringList PermissionAudit::sqliteArguments(const QString& databasePath)
{
    return {databasePath, QStringLiteral("-separator"), QStringLiteral("|"), query()};
}

QString PermissionAudit::serviceName(const QString& rawService)
{
    if (rawService == u"kTCCServiceCamera")
        return QStringLiteral("Camera");
    if (rawService == u"kTCCServiceMicrophone")
        return QStringLiteral("Microphone");
    if (rawService == u"kTCCServiceLocation" || rawService == u"kTCCServiceLiveLocation")
        return QStringLiteral("Location");
    return {};
}

void PermissionAudit::appendRows(const QString& output, QSet<QString>& seen, QList<AppPermission>& result)
{
    for (const QString& row : output.split(QLatin1Char('\n'))) {
        const QStringList fields = row.split(QLatin1Char('|'));
        if (fields.size() < 3)
            continue;
        const QString& rawService = fields[0];
        const QString& client = fields[1];
        const bool allowed = isAllowed(fields[2]);
        const QString key = rawService + QLatin1Char('-') + client;
        if (seen.contains(key) || client.isEmpty())
            continue;
        seen.insert(key);
        const QString service = serviceName(rawService);
        if (service.isEmpty())
            continue;
        const QString lastPiece = client.mid(client.lastIndexOf(QLatin1Char('.')) + 1);
        result.append(AppPermission{service, client, TccLineParser::capitalized(lastPiece), allowed});
    }
}

void PermissionAudit::sortByService(QList<AppPermission>& permissions)
{
    std::stable_sort(permissions.begin(), permissions.end(),
                     [](const AppPermission& a, const AppPermission& b) { return a.service < b.service; });
}

void PermissionAudit::refresh()
{
    const quint64 audit = ++m_latestAudit;
    readTCCPermissions([this, audit](const QList<AppPermission>& permissions) {
        if (audit == m_latestAudit)
            Q_EMIT permissionsRead(permissions);
    });
}

void PermissionAudit::readTCCPermissions(std::function<void(const QList<AppPermission>&)> done)
{
    auto run = std::make_shared<Run>();
    run->paths = m_databasePaths;
    run->done = std::move(done);
    readNext(run);
}

void PermissionAudit::readNext(const std::shared_ptr<Run>& run)
{
    while (run->next < run->paths.size() && !QFileInfo::exists(run->paths[run->next]))
        ++run->next;
    if (run->next == run->paths.size()) {
        sortByService(run->result);
        run->done(run->result);
        return;
    }
    const QString path = run->paths[run->next++];
    ProcessOptions options;
    options.timeoutMs = int(m_timeLimit.count());
    // The output is read while sqlite3 runs, so a large database cannot fill the pipe and stall it.
    options.outputCap = 32 * 1024 * 1024;
    options.environment = ToolEnvironment::forParsing();
    ChildProcess::run(ToolPaths::path(Tool::Sqlite3), sqliteArguments(path), options, this,
                      [this, run](const ProcessResult& result) {
                          appendRows(decodedOutput(result), run->seen, run->result);
                          readNext(run);
                      });
}
