#include "support/GuiSession.h"

#include <cstdio>

#include <wx/app.h>
#include <wx/init.h>

#include "app/CLumvexQ310DConfiguratorApp.h"

namespace {

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
    wxApp::SetInstance(new SessionApp);
    int argc = 1;
    char* argv[] = {const_cast<char*>(argv0), nullptr};
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit())
    {
        std::fprintf(stderr, "could not initialise wx\n");
        return;
    }
    m_started = true;
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
