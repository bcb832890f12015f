#include "service/IdleMemoryRelease.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

IdleMemoryRelease::IdleMemoryRelease(std::function<void()> releaseCaches, int quietMs, QObject* parent)
    : QObject(parent), m_releaseCaches(std::move(releaseCaches))
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(quietMs);
    connect(&m_quiet, &QTimer::timeout, this, &IdleMemoryRelease::release);
}

void IdleMemoryRelease::noteActivity()
{
    m_quiet.start();
}

void IdleMemoryRelease::release()
{
    if (m_releaseCaches)
        m_releaseCaches();
#if defined(__GLIBC__)
    // glibc keeps freed pages of every arena mapped until asked to return them.
    malloc_trim(0);
#endif
    Q_EMIT released();
}
