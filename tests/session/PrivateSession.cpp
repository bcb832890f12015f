// Linked into every test executable. Before main runs, the process gets a session of its own: a
// private XDG_RUNTIME_DIR (where the one-instance lock, the sound servers' sockets and the user's
// service manager live) and a session bus address nobody listens on, until a test starts its own bus.
// So tests that ctest runs side by side never take each other's lock or bus name, and never meet the
// developer's own Halvex or desktop.

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdlib>
#include <sys/stat.h>

namespace {

class PrivateSession
{
public:
    PrivateSession()
    {
        QByteArray pattern = QFile::encodeName(QDir::tempPath()) + "/halvex-test-session-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            return;
        ::chmod(pattern.constData(), 0700);
        m_directory = QFile::decodeName(pattern);
        ::setenv("XDG_RUNTIME_DIR", pattern.constData(), 1);
        ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + pattern + "/no-bus").constData(), 1);
    }
    ~PrivateSession()
    {
        if (!m_directory.isEmpty())
            QDir(m_directory).removeRecursively();
    }

private:
    QString m_directory;
};

const PrivateSession session;

} // namespace
