#pragma once

#include <algorithm>
#include <chrono>

// The delay before restarting a long-running tool that ended: short at first, doubling up to ten
// seconds, so a tool that keeps failing costs little and a server that is back is seen soon.
class RestartBackoff
{
public:
    static constexpr std::chrono::milliseconds first{std::chrono::seconds(1)};
    static constexpr std::chrono::milliseconds longest{std::chrono::seconds(10)};

    std::chrono::milliseconds next()
    {
        const std::chrono::milliseconds delay = m_delay;
        m_delay = std::min(m_delay * 2, longest);
        return delay;
    }
    void reset() { m_delay = first; }

private:
    std::chrono::milliseconds m_delay = first;
};
