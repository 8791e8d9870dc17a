#include "app/DialogMenuBar.h"

#include <wx/frame.h>
#include <wx/menu.h>

#include "support/CaseName.h"
#include "support/GuiFixtures.h"

namespace {

// A menu bar whose popups are recorded instead of shown: a real popup menu takes the X
// server's keyboard and pointer until it closes.
class RecordingMenuBar : public DialogMenuBar
{
public:
    using DialogMenuBar::DialogMenuBar;
    std::vector<wxMenu*> popups;

protected:
    bool DoPopupMenu(wxMenu* menu, int, int) override
    {
        popups.push_back(menu);
        return true;
    }
};

class DialogMenuBarTest : public GuiTest
{
protected:
    DialogMenuBarTest()
        : m_frame(new wxFrame(nullptr, wxID_ANY, "host")), m_bar(new RecordingMenuBar(m_frame, wxID_ANY))
    {
        auto* file = new wxMenu;
        file->Append(101, L"열기");
        file->Append(102, L"저장(&S)");
        auto* help = new wxMenu;
        help->Append(201, "About");
        help->Append(202, L"정보(&A)...");
        m_bar->Append(file, L"파일");
        m_bar->Append(help, "Help");
        m_frame->Bind(wxEVT_MENU, [this](wxCommandEvent& e) { m_commands.push_back(e.GetId()); });
    }
    ~DialogMenuBarTest() override { m_frame->Destroy(); }

    wxFrame* m_frame;
    RecordingMenuBar* m_bar;
    std::vector<int> m_commands;
};

TEST_F(DialogMenuBarTest, FindsItemsInEveryMenuByCommandId)
{
    EXPECT_EQ(m_bar->GetMenuCount(), 2u);
    EXPECT_EQ(m_bar->GetMenuLabel(0), L"파일");
    EXPECT_EQ(m_bar->GetMenuLabel(1), "Help");
    EXPECT_EQ(m_bar->GetMenuLabel(2), "");
    EXPECT_EQ(m_bar->GetMenu(2), nullptr);
    ASSERT_NE(m_bar->FindItem(201), nullptr);
    EXPECT_EQ(m_bar->FindItem(201)->GetMenu(), m_bar->GetMenu(1));
    EXPECT_EQ(m_bar->FindItem(999), nullptr);
}

TEST_F(DialogMenuBarTest, LabelTextLeavesOutMnemonicsAndIsEmptyForUnknownIds)
{
    EXPECT_EQ(m_bar->GetLabelText(101), L"열기");
    EXPECT_EQ(m_bar->GetLabelText(102), L"저장");
    EXPECT_EQ(m_bar->GetLabelText(999), "");
}

TEST_F(DialogMenuBarTest, EnablesAndDisablesItemsByCommandId)
{
    EXPECT_TRUE(m_bar->IsEnabled(102));
    m_bar->Enable(102, false);
    EXPECT_FALSE(m_bar->IsEnabled(102));
    EXPECT_FALSE(m_bar->GetMenu(0)->IsEnabled(102));
    m_bar->Enable(102, true);
    EXPECT_TRUE(m_bar->IsEnabled(102));
    m_bar->Enable(999, false);  // no such item: nothing happens
    EXPECT_FALSE(m_bar->IsEnabled(999));
}

TEST_F(DialogMenuBarTest, TitlesSitSideBySideAndTheBarIsTallerThanItsText)
{
    m_bar->SetSize(m_bar->GetBestSize());
    const wxRect first = m_bar->GetTitleRect(0);
    const wxRect second = m_bar->GetTitleRect(1);
    EXPECT_EQ(first.x, 0);
    EXPECT_EQ(second.x, first.GetRight() + 1);
    EXPECT_GT(first.width, m_bar->GetTextExtent(L"파일").x);
    EXPECT_EQ(m_bar->GetBestSize().x, first.width + second.width);
    EXPECT_GT(m_bar->GetBestSize().y, m_bar->GetCharHeight());
    EXPECT_TRUE(m_bar->GetTitleRect(2).IsEmpty());
    EXPECT_FALSE(m_bar->AcceptsFocusFromKeyboard());
}

TEST_F(DialogMenuBarTest, CommandsOfItsMenusReachTheParentWindow)
{
    // What a chosen item of a popped-up menu sends to the window that popped it up.
    wxCommandEvent chosen(wxEVT_MENU, 201);
    m_bar->GetEventHandler()->ProcessEvent(chosen);
    ASSERT_EQ(m_commands.size(), 1u);
    EXPECT_EQ(m_commands[0], 201);
}

// A key pressed in the dialog that carries the bar, and what the bar makes of it.
struct MenuKeyCase
{
    const char* name;
    int key;
    int modifiers;
    int disabledItem;  // 0 for none
    bool taken;
    int command;  // the item run, 0 for none
    bool popsUpFirstMenu;
};

class DialogMenuBarKeys : public DialogMenuBarTest, public testing::WithParamInterface<MenuKeyCase>
{
};

TEST_P(DialogMenuBarKeys, F10OpensTheFirstMenuAndAltWithAnUnderlinedLetterRunsAnEnabledItem)
{
    const MenuKeyCase& row = GetParam();
    if (row.disabledItem)
        m_bar->Enable(row.disabledItem, false);
    wxKeyEvent press(wxEVT_CHAR_HOOK);
    press.m_keyCode = row.key;
    press.m_altDown = (row.modifiers & wxMOD_ALT) != 0;
    press.m_controlDown = (row.modifiers & wxMOD_CONTROL) != 0;
    press.m_shiftDown = (row.modifiers & wxMOD_SHIFT) != 0;
    EXPECT_EQ(m_bar->ProcessMenuKey(press), row.taken);
    EXPECT_EQ(m_commands, row.command ? std::vector<int>{row.command} : std::vector<int>{});
    EXPECT_EQ(m_bar->popups, row.popsUpFirstMenu ? std::vector<wxMenu*>{m_bar->GetMenu(0)}
                                                  : std::vector<wxMenu*>{});
}

INSTANTIATE_TEST_SUITE_P(
    Keys, DialogMenuBarKeys,
    testing::Values(MenuKeyCase{"F10", WXK_F10, wxMOD_NONE, 0, true, 0, true},
                    MenuKeyCase{"ShiftF10", WXK_F10, wxMOD_SHIFT, 0, false, 0, false},
                    MenuKeyCase{"AltS", 'S', wxMOD_ALT, 0, true, 102, false},
                    MenuKeyCase{"AltAInParentheses", 'A', wxMOD_ALT, 0, true, 202, false},
                    MenuKeyCase{"AltSOfADisabledItem", 'S', wxMOD_ALT, 102, false, 0, false},
                    MenuKeyCase{"SAlone", 'S', wxMOD_NONE, 0, false, 0, false},
                    MenuKeyCase{"CtrlAltS", 'S', wxMOD_CONTROL | wxMOD_ALT, 0, false, 0, false},
                    MenuKeyCase{"AltWithoutAnItem", 'X', wxMOD_ALT, 0, false, 0, false}),
    CaseName());

}  // namespace
