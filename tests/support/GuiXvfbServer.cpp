#include "support/GuiXvfbServer.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

std::string XvfbServer::Start()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return {};
    m_pid = fork();
    if (m_pid == 0)
    {
        // The server must not outlive a test program that crashes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        dup2(fds[1], 3);  // dup2 clears close-on-exec on the copy
        const int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, 1);
        dup2(devnull, 2);
        execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten",
               "tcp", "-nocursor", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    if (m_pid > 0)
    {
        // The server writes its display number and a newline once it accepts clients.
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        while (poll(&p, 1, 20000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
    }
    close(fds[0]);
    return number.empty() ? std::string() : ":" + number;
}

void XvfbServer::Stop()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR)
    {
    }
    m_pid = -1;
}

bool XvfbServer::ProvideDisplay()
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
    {
        const std::string started = Start();
        if (started.empty())
            return false;
        setenv("DISPLAY", started.c_str(), 1);
    }
    setenv("GDK_BACKEND", "x11", 1);
    setenv("NO_AT_BRIDGE", "1", 1);  // no accessibility bus to wait for
    return true;
}
