#include "serial/IoServiceExec.h"

#include "Deadline.h"
#include "serial/CSerialportMP.h"
#include "support/PtyPair.h"

#include <asio/executor_work_guard.hpp>
#include <asio/post.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

using namespace std::chrono_literals;

// A port on the process's I/O service, opened and closed the way its owner does it.
class Line
{
public:
    Line()
    {
        m_port->m_onRead = [this](std::shared_ptr<CSerialportMP>, std::error_code& error,
                                  const std::vector<unsigned char>& bytes, unsigned int) {
            std::lock_guard lock(m_mutex);
            m_received.append(bytes.begin(), bytes.end());
            m_readers.insert(std::this_thread::get_id());
            m_errors += error ? 1 : 0;
        };
    }
    ~Line() { Close(); }

    void Open()
    {
        ASSERT_EQ(m_port->Open(m_pty.SlavePath(), 9600, 8, 0, 0), std::error_code());
        g_ioServiceExec.OnPortOpened();
    }
    void Close()
    {
        if (!m_port->m_isOpen)
            return;
        m_port->Close();
        g_ioServiceExec.OnPortClosed();
    }

    // Sends from the far side and waits until the port has delivered it.
    bool RoundTrip(const std::string& bytes)
    {
        std::string expected;
        {
            std::lock_guard lock(m_mutex);
            expected = m_received + bytes;
        }
        m_pty.Send(bytes);
        return WaitUntil(
            [&] {
                std::lock_guard lock(m_mutex);
                return m_received == expected;
            },
            5s);
    }
    std::set<std::thread::id> Readers()
    {
        std::lock_guard lock(m_mutex);
        return m_readers;
    }
    int Errors()
    {
        std::lock_guard lock(m_mutex);
        return m_errors;
    }
    void HangUp() { m_pty.HangUp(); }

private:
    PtyPair m_pty;
    std::shared_ptr<CSerialportMP> m_port =
        std::make_shared<CSerialportMP>(g_ioServiceExec.m_ioContext);
    std::mutex m_mutex;
    std::string m_received;
    std::set<std::thread::id> m_readers;
    int m_errors = 0;
};

std::set<std::thread::id> ServiceThreadIds()
{
    std::set<std::thread::id> ids;
    for (std::thread* t : g_ioServiceExec.m_threads)
        ids.insert(t->get_id());
    return ids;
}

bool Includes(const std::set<std::thread::id>& all, const std::set<std::thread::id>& some)
{
    return std::includes(all.begin(), all.end(), some.begin(), some.end());
}

// g_ioServiceExec is the process's own: every test starts and ends with no port counted.
class IoServiceExecTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(g_openPortCount, 0);
        ASSERT_TRUE(g_ioServiceExec.m_threads.empty());
        m_hardwareThreads = std::thread::hardware_concurrency();
        if (m_hardwareThreads == 0)
            GTEST_SKIP() << "the number of hardware threads is unknown here";
    }
    void TearDown() override { EXPECT_EQ(g_openPortCount, 0); }

    Deadline m_deadline{30s};
    unsigned int m_hardwareThreads = 0;
};

TEST_F(IoServiceExecTest, ThreadsFollowTheNumberOfOpenPorts)
{
    Line a;
    Line b;
    a.Open();
    EXPECT_EQ(g_openPortCount, 1);
    ASSERT_EQ(g_ioServiceExec.m_threads.size(), m_hardwareThreads);
    const std::vector<std::thread*> firstThreads = g_ioServiceExec.m_threads;
    const std::set<std::thread::id> firstIds = ServiceThreadIds();

    b.Open();  // the running threads serve it as well
    EXPECT_EQ(g_openPortCount, 2);
    EXPECT_EQ(g_ioServiceExec.m_threads, firstThreads);
    EXPECT_TRUE(b.RoundTrip("b1"));

    a.Close();
    EXPECT_EQ(g_openPortCount, 1);
    EXPECT_EQ(g_ioServiceExec.m_threads, firstThreads);
    EXPECT_TRUE(b.RoundTrip("b2"));
    EXPECT_TRUE(Includes(firstIds, b.Readers()));

    b.Close();  // the last one: threads joined, io_context stopped
    EXPECT_EQ(g_openPortCount, 0);
    EXPECT_TRUE(g_ioServiceExec.m_threads.empty());
    EXPECT_TRUE(g_ioServiceExec.m_ioContext.stopped());

    a.Open();  // a fresh set of threads on the restarted io_context
    EXPECT_EQ(g_openPortCount, 1);
    EXPECT_EQ(g_ioServiceExec.m_threads.size(), m_hardwareThreads);
    EXPECT_FALSE(g_ioServiceExec.m_ioContext.stopped());
    EXPECT_TRUE(a.RoundTrip("a1"));
    EXPECT_TRUE(Includes(ServiceThreadIds(), a.Readers()));
    a.Close();
    EXPECT_TRUE(g_ioServiceExec.m_threads.empty());
}

TEST_F(IoServiceExecTest, StopAfterTheLastCloseJoinsNothingAndOpeningStillWorks)
{
    Line a;
    a.Open();
    a.Close();
    ASSERT_TRUE(g_ioServiceExec.m_threads.empty());

    g_ioServiceExec.Stop();  // as at process exit
    EXPECT_TRUE(g_ioServiceExec.m_threads.empty());
    EXPECT_TRUE(g_ioServiceExec.m_ioContext.stopped());

    a.Open();
    EXPECT_TRUE(a.RoundTrip("again"));
    a.Close();
}

TEST_F(IoServiceExecTest, AHangUpLetsTheServiceRunDryAndTheCloseStillJoins)
{
    Line a;
    a.Open();
    a.HangUp();
    ASSERT_TRUE(WaitUntil([&] { return a.Errors() == 1; }, 5s));
    // No read pending and no write in flight: run() returns on every thread by itself.
    EXPECT_TRUE(WaitUntil([] { return g_ioServiceExec.m_ioContext.stopped(); }, 5s));
    EXPECT_EQ(g_ioServiceExec.m_threads.size(), m_hardwareThreads);

    a.Close();
    EXPECT_EQ(g_openPortCount, 0);
    EXPECT_TRUE(g_ioServiceExec.m_threads.empty());
}

TEST_F(IoServiceExecTest, AHandlerThatThrowsEndsOnlyItsOwnThread)
{
    if (m_hardwareThreads < 2)
        GTEST_SKIP() << "needs two threads";

    // Keeps the io_context busy as an open port's pending read would.
    auto work = asio::make_work_guard(g_ioServiceExec.m_ioContext);
    g_ioServiceExec.OnPortOpened();

    asio::post(g_ioServiceExec.m_ioContext, [] { throw std::runtime_error("handler failed"); });

    // One blocking handler per thread: only the threads still running can hold one each.
    std::mutex mutex;
    std::condition_variable cv;
    unsigned int holding = 0;
    bool release = false;
    for (unsigned int i = 0; i < m_hardwareThreads; ++i)
    {
        asio::post(g_ioServiceExec.m_ioContext, [&] {
            std::unique_lock lock(mutex);
            ++holding;
            cv.notify_all();
            cv.wait(lock, [&] { return release; });
        });
    }
    {
        std::unique_lock lock(mutex);
        EXPECT_TRUE(cv.wait_for(lock, 10s, [&] { return holding == m_hardwareThreads - 1; }));
        EXPECT_FALSE(cv.wait_for(lock, 200ms, [&] { return holding == m_hardwareThreads; }));
        release = true;
    }
    cv.notify_all();

    work.reset();
    g_ioServiceExec.OnPortClosed();
    EXPECT_TRUE(g_ioServiceExec.m_threads.empty());
}

}  // namespace
