#pragma once

#include <string>

#include <sys/types.h>

// A private Xvfb on a display number it picks itself (-displayfd), so that many test
// programs can run at once. The server ends with its owner (or with the process).
class XvfbServer
{
public:
    XvfbServer() = default;
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;
    ~XvfbServer() { Stop(); }

    // Starts the server and returns its display name ("" on failure).
    std::string Start();
    void Stop();

    // Points DISPLAY at a private server when none is set; false when it cannot start.
    // Also keeps GTK on X11 and away from the accessibility bus.
    bool ProvideDisplay();

private:
    pid_t m_pid = -1;
};
