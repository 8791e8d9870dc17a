// The main of the GUI test programs: starts a private X server when none is given,
// initialises wx once for the process, runs the tests and cleans up.
//
// Listing the tests (--gtest_list_tests, which CTest's discovery runs) needs no display.

#include <cstdio>
#include <string>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/log.h>

#include "support/GuiSession.h"

namespace {

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

    GuiSession session(argv[0]);
    if (!session.Started())
        return 1;
    wxSetAssertHandler(AssertToGtest);
    wxLog::SetActiveTarget(new wxLogStderr);

    return RUN_ALL_TESTS();
}
