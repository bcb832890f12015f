#pragma once

#include "model/AppPermission.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>

// The audit of granted permissions: the privacy-consent databases read with sqlite3, the user's first,
// then the system's; every camera, microphone and location entry becomes an AppPermission.
class PermissionAudit : public QObject
{
    Q_OBJECT
public:
    // sqlite3 answers in milliseconds; one that hangs on a locked database is killed.
    static constexpr std::chrono::milliseconds defaultTimeLimit{std::chrono::seconds(10)};

    explicit PermissionAudit(QObject* parent = nullptr);

    // For tests: other database paths (in reading order) and time limit.
    void setDatabasePaths(const QStringList& paths) { m_databasePaths = paths; }
    void setTimeLimit(std::chrono::milliseconds limit) { m_timeLimit = limit; }

    // Starts one audit and returns at once; the list arrives as permissionsRead. An audit overtaken by
    // a newer one is dropped, so the newest audit's list is the one published.
    void refresh();

    // Reads the databases one after another; `done` gets the sorted list on the calling thread.
    void readTCCPermissions(std::function<void(const QList<AppPermission>&)> done);

    static QStringList defaultDatabasePaths();
    static QString query();
    static QStringList sqliteArguments(const QString& databasePath);
    // The rows of one database's output, appended unless their raw service and client were seen.
    static void appendRows(const QString& output, QSet<QString>& seen, QList<AppPermission>& result);
    // The display name of a raw consent service; empty for services the audit does not list.
    static QString serviceName(const QString& rawService);
    // Camera first, then Location, then Microphone; reading order within a service.
    static void sortByService(QList<AppPermission>& permissions);

Q_SIGNALS:
    void permissionsRead(const QList<AppPermission>& permissions);

private:
    struct Run;
    void readNext(const std::shared_ptr<Run>& run);

    QStringList m_databasePaths;
    std::chrono::milliseconds m_timeLimit = defaultTimeLimit;
    quint64 m_latestAudit = 0;
};
