#include "monitor/AlertsFile.h"

#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

namespace AlertsFile {

QList<SecurityAlert> load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return {};
    return SecurityAlerts::fromJson(document.array()).value_or(QList<SecurityAlert>());
}

QByteArray encode(const QList<SecurityAlert>& alerts)
{
    return QJsonDocument(SecurityAlerts::toJson(alerts)).toJson(QJsonDocument::Compact);
}

bool write(const QString& path, const QByteArray& contents)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The accesses of the user's applications are for the user alone.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(contents) != contents.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace AlertsFile

AlertsFileWriter::AlertsFileWriter(QString path, QObject* parent) : QObject(parent), m_path(std::move(path))
{
    m_worker = new QObject;
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.setObjectName(QStringLiteral("alerts-file-writer"));
    m_thread.start(QThread::LowPriority);
}

AlertsFileWriter::~AlertsFileWriter()
{
    waitForIdle();
    m_thread.quit();
    m_thread.wait();
}

void AlertsFileWriter::save(const QList<SecurityAlert>& snapshot)
{
    const quint64 generation = ++m_latest;
    QMetaObject::invokeMethod(m_worker, [this, snapshot, generation]() {
        if (generation != m_latest.load())
            return;
        AlertsFile::write(m_path, AlertsFile::encode(snapshot));
    });
}

void AlertsFileWriter::waitForIdle()
{
    // Queued work runs in order, so once this no-op has run every earlier snapshot has been handled.
    QMetaObject::invokeMethod(
        m_worker, []() {}, Qt::BlockingQueuedConnection);
}
