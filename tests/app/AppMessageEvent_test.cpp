#include "app/AppMessageEvent.h"

#include <thread>

#include "support/GuiFixtures.h"

namespace {

using AppMessageEventTest = GuiTest;

TEST_F(AppMessageEventTest, MessagesPostedFromAnotherThreadArriveInOrderWithTheirParameters)
{
    wxWindow* target = GetAppMainWindow();
    ASSERT_EQ(target, m_sink);
    std::thread poster([target] {
        PostAppMessage(target, WM_APP_COMMAND_DONE, 4, 1);
        PostAppMessage(target, WM_APP_COMM_ERROR, 5, 0);
    });
    poster.join();
    EXPECT_TRUE(m_sink->Messages().empty());  // queued, not sent
    PumpEvents();
    ASSERT_EQ(m_sink->Messages().size(), 2u);
    EXPECT_EQ(m_sink->Messages()[0].type, WM_APP_COMMAND_DONE);
    EXPECT_EQ(m_sink->Messages()[0].wParam, 4u);
    EXPECT_EQ(m_sink->Messages()[0].lParam, 1);
    EXPECT_EQ(m_sink->Messages()[1].type, WM_APP_COMM_ERROR);
}

TEST_F(AppMessageEventTest, TheMainWindowFallsBackWhenTheChosenOneIsGone)
{
    auto* other = new wxFrame(nullptr, wxID_ANY, "other");
    SetAppMainWindow(other);
    EXPECT_EQ(GetAppMainWindow(), other);
    delete other;
    EXPECT_NE(GetAppMainWindow(), other);
    PostAppMessage(nullptr, WM_APP_OPEN_PORT);  // no target: nothing happens
}

}  // namespace
