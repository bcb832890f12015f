#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// Serving a burst of requests fills the database's page cache and leaves freed heap the allocator
// keeps for later. Once the API has been quiet for a while both are handed back, so a service waiting
// between uses costs about what a freshly started one does.
class IdleMemoryRelease : public QObject
{
    Q_OBJECT
public:
    explicit IdleMemoryRelease(std::function<void()> releaseCaches, int quietMs = 5000,
                               QObject* parent = nullptr);

    // A request came in: the quiet period starts over, so nothing is released in the middle of a burst.
    void noteActivity();

Q_SIGNALS:
    void released();

private:
    void release();

    std::function<void()> m_releaseCaches;
    QTimer m_quiet;
};
