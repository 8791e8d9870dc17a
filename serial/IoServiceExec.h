#pragma once

#include <asio/io_context.hpp>

#include <atomic>
#include <thread>
#include <vector>

// The program's one io_context and the threads that run it. The threads follow the open
// ports: started by the first open, stopped and joined when the last port closes.
class IoServiceExec
{
public:
    IoServiceExec();
    virtual ~IoServiceExec();
    IoServiceExec(const IoServiceExec&) = delete;
    IoServiceExec& operator=(const IoServiceExec&) = delete;

    // Body of each I/O thread.
    void Run(asio::io_context* ioContext);
    // After a successful port open: start the threads when none are recorded; count the port.
    void OnPortOpened();
    // After an open port was closed: uncount it; at zero, Stop().
    void OnPortClosed();
    // Joins the threads, then stops the io_context if it has not stopped by itself.
    void Stop();

    asio::io_context m_ioContext;
    std::vector<std::thread*> m_threads;
    std::atomic<bool> m_stopRequested{false};
};

// The one I/O service of the process, and the number of open ports (UI thread only).
extern IoServiceExec g_ioServiceExec;
extern int g_openPortCount;
