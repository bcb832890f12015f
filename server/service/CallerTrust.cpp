#include "service/CallerTrust.h"

#include "http/HttpResponse.h"

#include <QFutureWatcher>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

CallerTrust::CallerTrust(QObject* parent) : QObject(parent), m_pool(std::make_unique<QThreadPool>())
{
    m_pool->setMaxThreadCount(2);
}

CallerTrust::~CallerTrust()
{
    m_pool->waitForDone();
}

QString CallerTrust::refusal(const PeerSandbox::Finding& finding)
{
    return QStringLiteral("Scripts run only for programs of this user outside a sandbox; the caller was "
                          "refused: %1")
        .arg(finding.reason);
}

void CallerTrust::check(const HttpRequest& request, std::function<void(const PeerSandbox::Finding&)> done)
{
    auto* watcher = new QFutureWatcher<PeerSandbox::Finding>(this);
    connect(watcher, &QFutureWatcher<PeerSandbox::Finding>::finished, this, [watcher, done]() {
        watcher->deleteLater();
        done(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(
        m_pool.get(), [inode = request.peerSocketInode]() { return PeerSandbox::examine(inode); }));
}

void CallerTrust::whenScriptsAllowed(const HttpRequest& request, const HttpResponder& responder,
                                     std::function<void()> allowed)
{
    check(request, [responder, allowed](const PeerSandbox::Finding& finding) {
        if (finding.kind == PeerSandbox::Finding::Host)
            allowed();
        else
            responder.send(HttpResponse::error(403, refusal(finding)));
    });
}
