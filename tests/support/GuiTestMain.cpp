// The main of the GUI test programs: starts a private X server when none is given,
// initialises wx once for the process, runs the tests and cleans up.
//
// Listing the tests (--gtest_list_tests, which CTest's discovery runs) needs no display.

#include <cstdio>
#include <string>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include "support/GuiXvfbServer.h"

namespace {

class GuiTestApp : public wxApp
{
public:
    // The test runner owns the command line; wx must not parse gtest's options.
    bool OnInit() override { return true; }
};

// wx assertions (including unmet wxTEST_DIALOG expectations) fail the running test.
void AssertToGtest(const wxString& file, int line, const wxString& func, const wxString& cond,
                   const wxString& msg)
{
    ADD_FAILURE_AT(file.utf8_str().data(), line)
        << "wx assertion in " << func.utf8_str().data() << ": " << cond.utf8_str().data() << " "
        << msg.utf8_str().data();
}

bool ListingOnly(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
    {
        if (std::string(argv[i]) == "--gtest_list_tests")
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (ListingOnly(argc, argv))
        return RUN_ALL_TESTS();

    XvfbServer xvfb;
    if (!xvfb.ProvideDisplay())
    {
        std::fprintf(stderr, "could not start Xvfb\n");
        return 1;
    }

    wxApp::SetInstance(new GuiTestApp);
    int wxArgc = 1;
    char* wxArgv[] = {argv[0], nullptr};
    if (!wxEntryStart(wxArgc, wxArgv) || !wxTheApp->CallOnInit())
    {
        std::fprintf(stderr, "could not initialise wx\n");
        return 1;
    }
    wxSetAssertHandler(AssertToGtest);
    wxLog::SetActiveTarget(new wxLogStderr);

    const int result = RUN_ALL_TESTS();

    wxTheApp->OnExit();
    wxEntryCleanup();
    xvfb.Stop();
    return result;
}
