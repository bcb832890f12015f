#pragma once

#include "model/SecurityAlert.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>

// The alerts file: a JSON array of alerts, newest first.
namespace AlertsFile {

// A missing, unreadable or undecodable file (one bad element included) gives an empty list.
QList<SecurityAlert> load(const QString& path);
QByteArray encode(const QList<SecurityAlert>& alerts);
// Writes the whole file atomically (temporary file, then rename); false when it could not.
bool write(const QString& path, const QByteArray& contents);

} // namespace AlertsFile

// One serial writer thread for the alerts file. Snapshots are written in the order they were handed
// in, and a snapshot that a newer one has already overtaken is skipped: the latest always wins, and a
// crash or a full disk never leaves a truncated file behind.
class AlertsFileWriter : public QObject
{
    Q_OBJECT
public:
    explicit AlertsFileWriter(QString path, QObject* parent = nullptr);
    ~AlertsFileWriter() override;

    void save(const QList<SecurityAlert>& snapshot);
    // Blocks until every snapshot handed in so far has been dealt with (tests, shutdown).
    void waitForIdle();

    QString path() const { return m_path; }

private:
    QString m_path;
    QThread m_thread;
    QObject* m_worker = nullptr;
    std::atomic<quint64> m_latest{0};
};
