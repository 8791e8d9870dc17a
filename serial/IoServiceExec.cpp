#include "serial/IoServiceExec.h"

#include <exception>

IoServiceExec g_ioServiceExec;
int g_openPortCount = 0;

IoServiceExec::IoServiceExec() = default;

IoServiceExec::~IoServiceExec()
{
    Stop();
}

void IoServiceExec::Run(asio::io_context* ioContext)
{
    while (!m_stopRequested)
    {
        try
        {
            ioContext->run();
        }
        catch (const std::exception&)
        {
            // Whatever a handler let out ends this thread only; the others go on.
            return;
        }
        // run() returns once the io_context ran out of work or was stopped; either way it
        // is stopped now, and the next open restarts it with threads of its own.
        if (ioContext->stopped())
            return;
    }
}

void IoServiceExec::OnPortOpened()
{
    if (m_threads.empty())
    {
        m_stopRequested.exchange(false);
        m_ioContext.restart();
        const unsigned int count = std::thread::hardware_concurrency();
        for (unsigned int i = 0; i < count; ++i)
            m_threads.push_back(new std::thread(&IoServiceExec::Run, this, &m_ioContext));
    }
    ++g_openPortCount;
}

void IoServiceExec::OnPortClosed()
{
    if (--g_openPortCount == 0)
        Stop();
}

void IoServiceExec::Stop()
{
    if (!m_stopRequested.exchange(true))
    {
        // The last port is closed, so its cancelled operations drain and every run() returns.
        for (std::thread* thread : m_threads)
        {
            thread->join();
            delete thread;
        }
        m_threads.clear();
    }
    if (!m_ioContext.stopped())
        m_ioContext.stop();
}
