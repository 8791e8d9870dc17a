#include "support/GuiSession.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <wx/app.h>
#include <wx/init.h>

#include "app/CLumvexQ310DConfiguratorApp.h"

#include <X11/Xlib.h>  // after wx: its macros (Status, None, ...) would clash with wx's names

namespace {

// A connection to the X server named by DISPLAY, tried again while the server refuses or
// drops it, for at most `limit`. Xvfb resets when its last client leaves (unless started
// with -noreset) and drops whoever connects meanwhile: with GUI test programs coming and
// going on one shared server, that moment comes now and then.
Display* ConnectWithin(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;)
    {
        if (Display* display = XOpenDisplay(nullptr))
            return display;
        if (std::chrono::steady_clock::now() >= deadline)
            return nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// The program's own application object, so that tests run in the environment it sets up
// (the user's locale among it); only the main dialog it would run is left to each test.
class SessionApp : public CLumvexQ310DConfiguratorApp
{
public:
    bool OnInit() override { return true; }
};

}  // namespace

GuiSession::GuiSession(const char* argv0)
{
    if (!m_xvfb.ProvideDisplay())
    {
        std::fprintf(stderr, "could not start Xvfb\n");
        return;
    }
    // While this connection stands the server has a client and cannot reset under GTK's.
    Display* const hold = ConnectWithin(std::chrono::seconds(10));
    if (!hold)
    {
        std::fprintf(stderr, "could not connect to the X server %s\n", std::getenv("DISPLAY"));
        return;
    }
    wxApp::SetInstance(new SessionApp);
    int argc = 1;
    char* argv[] = {const_cast<char*>(argv0), nullptr};
    m_started = wxEntryStart(argc, argv) && wxTheApp->CallOnInit();
    XCloseDisplay(hold);
    if (!m_started)
        std::fprintf(stderr, "could not initialise wx\n");
}

GuiSession::~GuiSession()
{
    if (m_started)
    {
        wxTheApp->OnExit();
        wxEntryCleanup();
    }
    m_xvfb.Stop();
}
