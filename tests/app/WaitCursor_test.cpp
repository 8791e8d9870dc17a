#include "app/WaitCursor.h"

#include <wx/utils.h>

#include "support/GuiFixtures.h"

namespace {

TEST(WaitCursor, IsCountedAndNeverGoesBelowZero)
{
    EXPECT_EQ(WaitCursor::Count(), 0);
    WaitCursor::End();
    EXPECT_EQ(WaitCursor::Count(), 0);
    EXPECT_FALSE(wxIsBusy());
    WaitCursor::Begin();
    WaitCursor::Begin();
    WaitCursor::Restore();
    EXPECT_TRUE(wxIsBusy());
    WaitCursor::End();
    EXPECT_TRUE(wxIsBusy());
    WaitCursor::End();
    EXPECT_FALSE(wxIsBusy());
    WaitCursor::End();
    EXPECT_EQ(WaitCursor::Count(), 0);
    WaitCursor::Restore();
    EXPECT_FALSE(wxIsBusy());
}

}  // namespace
