#pragma once

#include "support/GuiXvfbServer.h"

// wx initialised once for a test or benchmark program, on a private X server when no
// display is given. The program's own main owns the command line: wx does not parse it.
class GuiSession
{
public:
    explicit GuiSession(const char* argv0);
    ~GuiSession();
    GuiSession(const GuiSession&) = delete;
    GuiSession& operator=(const GuiSession&) = delete;

    // False when the X server or wx could not start (the reason went to stderr).
    bool Started() const { return m_started; }

private:
    XvfbServer m_xvfb;
    bool m_started = false;
};
