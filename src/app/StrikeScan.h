#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>

#include <functional>
#include <optional>

// The STRIKE sheet's six threat scans: all sent at once, each row updated as its reply arrives, in
// arrival order, with the verdict decided locally from the reply; once all six are finished the
// sheet may switch the system to the paranoid profile. One object per presentation of the sheet:
// replies that come after it is gone are dropped by the sender's context.
class StrikeScan : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantList tasks READ tasks NOTIFY tasksChanged)
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY tasksChanged)
    Q_PROPERTY(int finishedCount READ finishedCount NOTIFY tasksChanged)
    Q_PROPERTY(bool allFinished READ allFinished NOTIFY tasksChanged)
    Q_PROPERTY(bool showProgress READ showProgress NOTIFY tasksChanged)
    Q_PROPERTY(bool canActivateParanoid READ canActivateParanoid NOTIFY tasksChanged)
    Q_PROPERTY(bool paranoidActivated READ paranoidActivated NOTIFY tasksChanged)
public:
    enum class Status { Waiting, Running, Clean, Threat };

    struct Task
    {
        QString id;
        QString emoji;
        QString name;
        Status status = Status::Waiting;
        std::optional<QString> result;
    };

    using Reply = std::function<void(std::optional<QString>)>;
    // Sends one command to the backend; the reply must come back on this thread, bound to `context`.
    using Sender = std::function<void(const QString& command, QObject* context, Reply reply)>;
    using ProfileSwitch = std::function<void(const QString& profile)>;

    StrikeScan(Sender sender, ProfileSwitch applyProfile, QObject* parent = nullptr);

    // The six scans in display order, all waiting.
    static QList<Task> initialTasks();
    static QString statusName(Status status);

    const QList<Task>& taskList() const { return m_tasks; }
    QVariantList tasks() const;
    bool isRunning() const { return m_isRunning; }
    int finishedCount() const;
    bool allFinished() const { return finishedCount() == m_tasks.size(); }
    bool showProgress() const { return m_isRunning && !allFinished(); }
    bool canActivateParanoid() const { return allFinished() && !m_paranoidActivated; }
    bool paranoidActivated() const { return m_paranoidActivated; }

    // Runs the six scans; ignored while a run is under way.
    Q_INVOKABLE void runAllScans();
    // Applies the paranoid profile; refused until every scan is finished.
    Q_INVOKABLE void activateParanoid();

Q_SIGNALS:
    void tasksChanged();
    // One scan's reply was applied.
    void taskFinished(int index);

private:
    void apply(int index, const std::optional<QString>& reply);

    Sender m_sender;
    ProfileSwitch m_applyProfile;
    QList<Task> m_tasks;
    bool m_isRunning = false;
    bool m_paranoidActivated = false;
    int m_pending = 0;
};
