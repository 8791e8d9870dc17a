#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

// Ends the test program when the test that made it is still running after `limit`: a hung
// join or a completion that never comes fails the run instead of stalling it.
class Deadline
{
public:
    explicit Deadline(std::chrono::milliseconds limit)
        : m_name(CurrentTestName()), m_watcher([this, limit] { Watch(limit); })
    {
    }
    ~Deadline()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_cv.notify_all();
        m_watcher.join();
    }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

private:
    static std::string CurrentTestName()
    {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        return info ? std::string(info->test_suite_name()) + "." + info->name() : "test";
    }

    void Watch(std::chrono::milliseconds limit)
    {
        std::unique_lock lock(m_mutex);
        if (m_cv.wait_for(lock, limit, [this] { return m_done; }))
            return;
        std::fprintf(stderr, "%s: still running after %lld ms, giving up\n", m_name.c_str(),
                     static_cast<long long>(limit.count()));
        std::fflush(stderr);
        std::_Exit(EXIT_FAILURE);
    }

    std::string m_name;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_done = false;
    std::thread m_watcher;  // last: starts once the members it uses exist
};

// Polls `done` every millisecond until it holds or `timeout` passed; returns its last value.
template <typename Predicate>
bool WaitUntil(Predicate done, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done())
    {
        if (std::chrono::steady_clock::now() >= end)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
