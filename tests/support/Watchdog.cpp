#include "support/Watchdog.h"

#include <cstdio>
#include <cstdlib>

Watchdog::Watchdog(std::chrono::milliseconds limit, std::string what)
{
    m_thread = std::thread([this, limit, what = std::move(what)] {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_done.wait_for(lock, limit, [this] { return m_finished; }))
        {
            std::fprintf(stderr, "Watchdog: %s did not finish within %lld ms\n", what.c_str(),
                         static_cast<long long>(limit.count()));
            std::abort();
        }
    });
}

Watchdog::~Watchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_finished = true;
    }
    m_done.notify_all();
    m_thread.join();
}
