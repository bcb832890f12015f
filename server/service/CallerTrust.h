#pragma once

#include "http/HttpRequest.h"
#include "http/HttpResponder.h"
#include "http/PeerSandbox.h"

#include <QObject>

#include <functional>
#include <memory>

class QThreadPool;

// Decides, per request, whether its caller may run scripts: only a program of this user outside any
// sandbox may (PeerSandbox). Built-in skills need no such check. The look-up reads /proc, so it runs
// on a thread of its own and its finding comes back on the main thread.
class CallerTrust : public QObject
{
    Q_OBJECT
public:
    explicit CallerTrust(QObject* parent = nullptr);
    ~CallerTrust() override;

    void check(const HttpRequest& request, std::function<void(const PeerSandbox::Finding&)> done);
    // Runs `allowed` for a caller on the host; anyone else is answered 403.
    void whenScriptsAllowed(const HttpRequest& request, const HttpResponder& responder,
                            std::function<void()> allowed);

    static QString refusal(const PeerSandbox::Finding& finding);

private:
    std::unique_ptr<QThreadPool> m_pool;
};
