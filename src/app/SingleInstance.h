#pragma once

#include <QLockFile>
#include <QObject>

#include <memory>

// One Halvex per user session. The first instance owns the session-bus name org.halvex.Halvex and
// answers the calls of later launches, which ask it to show a view and then leave. Without a session
// bus a lock file in the runtime directory keeps the rule, with no way to pass the request on.
class SingleInstance : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.halvex.Halvex")
public:
    enum class Role { Primary, Secondary };
    enum class Request { Panel, Dashboard };

    static constexpr char serviceName[] = "org.halvex.Halvex";
    static constexpr char objectPath[] = "/org/halvex/Halvex";

    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the name (or the lock) when no other instance holds it.
    Role claim();
    // Asks the instance holding the name to show a view; true when it answered.
    static bool ask(Request request);

public Q_SLOTS:
    Q_SCRIPTABLE void ShowPanel();
    Q_SCRIPTABLE void ShowDashboard();

Q_SIGNALS:
    void panelRequested();
    void dashboardRequested();

private:
    Role claimLockFile();

    bool m_ownsName = false;
    std::unique_ptr<QLockFile> m_lock;
};
