#include "http/RefusalLog.h"

#include "platform/Diagnostics.h"

namespace {

constexpr qint64 unknownUser = -1;

} // namespace

RefusalLog::RefusalLog(std::chrono::milliseconds window, Print print, QObject* parent)
    : QObject(parent), m_window(window), m_print(std::move(print))
{
    if (!m_print)
        m_print = [](const QString& line) { Diagnostics::print(line); };
}

void RefusalLog::refused(std::optional<uint> uid, quint16 port)
{
    const qint64 user = uid ? qint64(*uid) : unknownUser;
    const auto counted = m_untold.find(user);
    if (counted != m_untold.end()) {
        ++*counted;
        return;
    }
    m_print(QStringLiteral("[halvexd] refused a connection from another user's socket (%1, port %2)")
                .arg(userText(user))
                .arg(port));
    m_untold.insert(user, 0);
    QTimer::singleShot(m_window, this, [this, user] { windowEnded(user); });
}

// A user still refused at the end of the minute gets one line with the count, and another minute.
void RefusalLog::windowEnded(qint64 user)
{
    const int untold = m_untold.value(user);
    if (untold == 0) {
        m_untold.remove(user);
        return;
    }
    m_print(QStringLiteral("[halvexd] refused %1 more connection%2 from another user's sockets (%3) in the "
                           "last minute")
                .arg(untold)
                .arg(untold == 1 ? QString() : QStringLiteral("s"))
                .arg(userText(user)));
    m_untold[user] = 0;
    QTimer::singleShot(m_window, this, [this, user] { windowEnded(user); });
}

QString RefusalLog::userText(qint64 user)
{
    return user == unknownUser ? QStringLiteral("owner unknown") : QStringLiteral("uid %1").arg(user);
}
