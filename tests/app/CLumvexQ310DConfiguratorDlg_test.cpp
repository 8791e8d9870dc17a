#include "app/CLumvexQ310DConfiguratorDlg.h"

#include <cstdlib>
#include <string>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include "app/AdvConfigPage.h"
#include "app/CAboutDlg.h"
#include "app/DialogMenuBar.h"
#include "app/DialogTemplate.h"
#include "app/GeneralInfoPage.h"
#include "app/GpioConfigPage.h"
#include "app/res/Menu139.h"
#include "app/res/ResourceIds.h"
#include "support/CaseName.h"
#include "support/GuiFixtures.h"

namespace {

// A wxTEST_DIALOG expectation that any modal dialog may meet; it only counts them.
class CountModals : public wxModalExpectation
{
public:
    explicit CountModals(int& count) : m_count(&count) { m_isOptional = true; }

    int Invoke(wxDialog*) const override
    {
        ++*m_count;
        return wxID_CANCEL;
    }

protected:
    wxString GetDefaultDescription() const override { return "no dialog at all"; }

private:
    int* m_count;
};

class MainDialogTest : public GuiTest
{
protected:
    ~MainDialogTest() override
    {
        if (m_dlg)
            m_dlg->Destroy();
        PumpEvents();
    }

    // Builds the dialog and shows it; the COM settings dialog that start-up offers is
    // answered with comAnswer.
    CLumvexQ310DConfiguratorDlg* Open(int comAnswer = wxID_CANCEL)
    {
        m_dlg = new CLumvexQ310DConfiguratorDlg;
        m_dlg->Bind(WM_APP_OPEN_PORT, [this](AppMessageEvent& event) {
            ++m_openPortMessages;
            event.Skip();
        });
        wxTEST_DIALOG(ShowAndPump(), wxExpectDismissableModal<ComConfigDlg>(comAnswer)
                                         .Describe("COM settings at start-up"));
        return m_dlg;
    }

    void ShowAndPump()
    {
        m_dlg->Show();
        PumpEvents();
    }

    // Answers the close question that the action raises and tells what it showed.
    ShownMessageBox AnswerClose(const std::function<void()>& action, int answer)
    {
        ShownMessageBox shown;
        wxTEST_DIALOG(action(), ExpectMessageBox(shown, answer));
        return shown;
    }

    wxWindow* Control(int id) const { return m_dlg->FindWindow(id); }

    CLumvexQ310DConfiguratorDlg* m_dlg = nullptr;
    int m_openPortMessages = 0;
};

TEST(MainDialogVersion, FormatsMajorMinorAndPatch)
{
    EXPECT_EQ(CLumvexQ310DConfiguratorDlg::FormatVersion(1, 2, 4), "Version 1.2.4");
    EXPECT_EQ(CLumvexQ310DConfiguratorDlg::FormatVersion(0, 0, 0), "Version 0.0.0");
    EXPECT_EQ(CLumvexQ310DConfiguratorDlg::FormatVersion(10, 20, 300), "Version 10.20.300");
}

TEST_F(MainDialogTest, TemplateControlsSitBelowTheBarsAndTheWindowGrowsByThem)
{
    Open();
    const wxSize base = DialogBaseUnits(m_dlg, DialogTemplateFont(kDialogTemplate102.pointSize));
    const int menuHeight = m_dlg->m_menuBar->GetSize().y;
    ASSERT_NE(m_dlg->m_toolBar, nullptr);
    ASSERT_NE(m_dlg->m_statusBar, nullptr);
    const int toolHeight = m_dlg->m_toolBar->GetSize().y;
    const int statusHeight = m_dlg->m_statusBar->GetSize().y;
    EXPECT_GT(menuHeight, 0);
    EXPECT_GE(toolHeight, 32);
    EXPECT_GT(statusHeight, 0);

    for (const DialogControl& c : kDialogTemplate102.controls)
    {
        // Statics centred in their rectangle and unaddressed controls are left out.
        if (c.id < 0 || (c.style & CS_CENTERIMAGE))
            continue;
        const wxRect designed = DialogUnitsToPixels(wxRect(c.x, c.y, c.cx, c.cy), base);
        wxWindow* control = Control(c.id);
        ASSERT_NE(control, nullptr) << c.id;
        EXPECT_EQ(control->GetPosition(), designed.GetPosition() + wxPoint(0, menuHeight + toolHeight))
            << "control " << c.id;
    }

    // The tab control took the placeholder's place, taller by what GTK's tabs need more so
    // that the pages keep their designed height.
    const wxRect tabs = m_dlg->m_tabCtrl->GetRect();
    const wxRect placeholder = m_dlg->m_tabFrame->GetRect();
    EXPECT_EQ(tabs.GetPosition(), placeholder.GetPosition());
    EXPECT_EQ(tabs.width, placeholder.width);
    const int tabGrowth = tabs.height - placeholder.height;
    EXPECT_GE(tabGrowth, 0);
    for (const DialogTemplate* page : {&kDialogTemplate107, &kDialogTemplate103})
    {
        const wxSize designedPage = DialogUnitsToPixels(wxRect(0, 0, page->cx, page->cy), base).GetSize();
        const wxWindow* shown = page == &kDialogTemplate107 ? static_cast<wxWindow*>(m_dlg->m_generalPage)
                                                            : static_cast<wxWindow*>(m_dlg->m_gpioPage);
        m_dlg->m_tabCtrl->SetSelection(page == &kDialogTemplate107 ? 0 : 1);
        PumpEvents();
        EXPECT_GE(shown->GetSize().y, designedPage.y) << page->id;
    }

    const wxSize designedClient =
        DialogUnitsToPixels(wxRect(0, 0, kDialogTemplate102.cx, kDialogTemplate102.cy), base).GetSize();
    const wxSize client = m_dlg->GetClientSize();
    EXPECT_EQ(client, designedClient + wxSize(0, menuHeight + toolHeight + tabGrowth + statusHeight));

    EXPECT_EQ(m_dlg->m_menuBar->GetPosition(), wxPoint(0, 0));
    EXPECT_EQ(m_dlg->m_toolBar->GetPosition(), wxPoint(0, menuHeight));
    EXPECT_EQ(m_dlg->m_statusBar->GetRect(), wxRect(0, client.y - statusHeight, client.x, statusHeight));
}

TEST_F(MainDialogTest, StatusBarShowsThePortClosedAndTheVersion)
{
    Open();
    wxStatusBar* bar = m_dlg->m_statusBar;
    ASSERT_EQ(bar->GetFieldsCount(), 2);
    // Pane 0 is 70 % of the outer width (the bars only made the window taller); pane 1 stretches.
    EXPECT_EQ(bar->GetStatusWidth(0), m_dlg->GetSize().x * 7 / 10);
    EXPECT_EQ(bar->GetStatusWidth(1), -1);
    EXPECT_EQ(bar->GetStatusText(0), LoadString(IDS_PORT_CLOSED));
    EXPECT_EQ(bar->GetStatusText(0), L"COM 포트 닫힘");
    EXPECT_EQ(bar->GetStatusText(1), CLumvexQ310DConfiguratorDlg::FormatVersion(
                                         Q310_VERSION_MAJOR, Q310_VERSION_MINOR, Q310_VERSION_PATCH));
    EXPECT_TRUE(bar->GetStatusText(1).StartsWith("Version "));
}

TEST_F(MainDialogTest, TwoTabsOfPagesAndAnAdvancedPageThatIsNeverShown)
{
    Open();
    wxNotebook* tabs = m_dlg->m_tabCtrl;
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->GetPageCount(), 2u);
    EXPECT_EQ(tabs->GetPage(0), m_dlg->m_generalPage);
    EXPECT_EQ(tabs->GetPage(1), m_dlg->m_gpioPage);
    EXPECT_EQ(tabs->GetPageText(0), L"기본설정");
    EXPECT_EQ(tabs->GetPageText(1), L"GPIO설정");

    ASSERT_NE(m_dlg->m_advPage, nullptr);
    EXPECT_EQ(m_dlg->m_advPage->GetParent(), tabs);
    for (size_t page : {1u, 0u})
    {
        tabs->SetSelection(page);
        PumpEvents();
        EXPECT_FALSE(m_dlg->m_advPage->IsShown());
    }
    EXPECT_FALSE(m_dlg->m_tabFrame->IsShown());
}

TEST_F(MainDialogTest, OkAndCancelButtonsAreHidden)
{
    Open();
    for (int id : {IDOK, IDCANCEL})
    {
        auto* button = wxDynamicCast(Control(id), wxButton);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_FALSE(button->IsShown()) << id;
    }
}

TEST_F(MainDialogTest, EscapeEnterAndTheHiddenOkButtonDoNothing)
{
    Open();
    int modals = 0;
    wxTEST_DIALOG(
        {
            for (int key : {WXK_ESCAPE, WXK_RETURN, WXK_NUMPAD_ENTER})
            {
                wxKeyEvent press(wxEVT_CHAR_HOOK);
                press.m_keyCode = key;
                press.SetEventObject(m_dlg);
                m_dlg->GetEventHandler()->ProcessEvent(press);
            }
            wxCommandEvent ok(wxEVT_BUTTON, IDOK);
            ok.SetEventObject(Control(IDOK));
            Control(IDOK)->GetEventHandler()->ProcessEvent(ok);
            PumpEvents();
        },
        CountModals(modals));
    EXPECT_TRUE(m_dlg->IsShown());
    EXPECT_EQ(modals, 0);
}

// How the user asks to close: the close box, Exit in the menu, Exit on the tool bar.
enum class CloseRoute
{
    CloseBox,
    MenuExit,
    ToolBarExit,
};

struct CloseCase
{
    const char* name;
    CloseRoute route;
    int answer;
    bool stillShown;
};

class MainDialogCloseTest : public MainDialogTest, public testing::WithParamInterface<CloseCase>
{
protected:
    void Ask(CloseRoute route)
    {
        switch (route)
        {
        case CloseRoute::CloseBox:
            m_dlg->Close();
            break;
        case CloseRoute::MenuExit:
        {
            // What the popped-up menu sends when Exit is chosen.
            wxCommandEvent exit(wxEVT_MENU, ID_APP_EXIT);
            m_dlg->m_menuBar->GetEventHandler()->ProcessEvent(exit);
            break;
        }
        case CloseRoute::ToolBarExit:
            m_dlg->m_toolBar->OnLeftClick(ID_APP_EXIT, false);
            break;
        }
    }
};

TEST_P(MainDialogCloseTest, AsksBeforeEndingAndEndsOnlyOnYes)
{
    const CloseCase& c = GetParam();
    Open();
    const ShownMessageBox shown = AnswerClose([&] { Ask(c.route); }, c.answer);
    EXPECT_EQ(shown.count, 1);
    EXPECT_EQ(shown.message, L"프로그램을 종료하시겠습니까?");
    EXPECT_EQ(shown.caption, L"프로그램 종료");
    EXPECT_EQ(shown.style & (wxYES_NO | wxICON_QUESTION), wxYES_NO | wxICON_QUESTION);
    EXPECT_EQ(m_dlg->IsShown(), c.stillShown);
    EXPECT_FALSE(m_dlg->IsPortOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Routes, MainDialogCloseTest,
    testing::Values(CloseCase{"CloseBoxYes", CloseRoute::CloseBox, wxID_YES, false},
                    CloseCase{"CloseBoxNo", CloseRoute::CloseBox, wxID_NO, true},
                    CloseCase{"MenuExitYes", CloseRoute::MenuExit, wxID_YES, false},
                    CloseCase{"MenuExitNo", CloseRoute::MenuExit, wxID_NO, true},
                    CloseCase{"ToolBarExitYes", CloseRoute::ToolBarExit, wxID_YES, false},
                    CloseCase{"ToolBarExitNo", CloseRoute::ToolBarExit, wxID_NO, true}),
    CaseName());

TEST_F(MainDialogTest, ClosingTheDialogItselfEndsItWithCancel)
{
    Open();
    int result = 0;
    m_dlg->Hide();
    // A modal run that the close question ends: the dialog returns IDCANCEL.
    m_dlg->CallAfter([this] {
        ShownMessageBox shown;
        wxTEST_DIALOG(m_dlg->Close(), ExpectMessageBox(shown, wxID_YES));
    });
    result = m_dlg->ShowModal();
    EXPECT_EQ(result, IDCANCEL);
}

class MainDialogLanguageTest : public MainDialogTest,
                               public testing::WithParamInterface<StringTable::Language>
{
};

TEST_P(MainDialogLanguageTest, MenuHasTheFourCommandsThenTheAboutItem)
{
    ScopedLanguage language(GetParam());
    const bool korean = GetParam() == StringTable::Language::Korean;
    Open();
    DialogMenuBar* bar = m_dlg->m_menuBar;
    ASSERT_EQ(bar->GetMenuCount(), 1u);
    EXPECT_EQ(bar->GetMenuLabel(0), korean ? L"메뉴" : L"Application Config");
    const wxMenuItemList& items = bar->GetMenu(0)->GetMenuItems();
    ASSERT_EQ(items.size(), kMenu139Popup.itemCount + 2);
    size_t i = 0;
    for (const wxMenuItem* item : items)
    {
        if (i < kMenu139Popup.itemCount)
        {
            const MenuItemText& expected = kMenu139Popup.items[i];
            EXPECT_EQ(item->GetId(), expected.id);
            EXPECT_EQ(item->GetItemLabel(), korean ? expected.korean : expected.english);
        }
        else if (i == kMenu139Popup.itemCount)
        {
            EXPECT_TRUE(item->IsSeparator());
        }
        else
        {
            EXPECT_EQ(item->GetId(), IDM_ABOUTBOX);
            EXPECT_EQ(item->GetItemLabel(), LoadString(IDS_ABOUTBOX));
        }
        ++i;
    }
}

TEST_P(MainDialogLanguageTest, ToolBarButtonsCarryTheMenuCommandsAndTheirTextsAsTips)
{
    ScopedLanguage language(GetParam());
    Open();
    wxToolBar* bar = m_dlg->m_toolBar;
    ASSERT_EQ(bar->GetToolsCount(), kMenu139Popup.itemCount);
    EXPECT_EQ(bar->GetToolBitmapSize(), wxSize(32, 32));
    for (size_t i = 0; i < kMenu139Popup.itemCount; ++i)
    {
        const wxToolBarToolBase* tool = bar->GetToolByPos(static_cast<int>(i));
        const int id = kMenu139Popup.items[i].id;
        EXPECT_EQ(tool->GetId(), id);
        EXPECT_TRUE(tool->GetNormalBitmap().IsOk());
        EXPECT_TRUE(tool->GetLabel().empty());
        EXPECT_EQ(tool->GetShortHelp(), m_dlg->m_menuBar->GetLabelText(id));

        // Hovering asks for the tip again and gets the menu text.
        bar->SetToolShortHelp(id, "stale");
        bar->OnMouseEnter(id);
        EXPECT_EQ(bar->GetToolShortHelp(id), m_dlg->m_menuBar->GetLabelText(id));
    }
    const bool korean = GetParam() == StringTable::Language::Korean;
    EXPECT_EQ(bar->GetToolShortHelp(ID_APP_EXIT), korean ? L"종료" : L"Exit");
}

// Pictures for looking at the layout; run with --gtest_also_run_disabled_tests. The
// directory comes from Q310_SHOTS_DIR (default: the working directory).
TEST_P(MainDialogLanguageTest, DISABLED_Screenshots)
{
    ScopedLanguage language(GetParam());
    Open();
    const char* dir = std::getenv("Q310_SHOTS_DIR");
    const std::string prefix = std::string(dir && *dir ? dir : ".") + "/";
    const std::string suffix = GetParam() == StringTable::Language::Korean ? "-ko.png" : "-en.png";
    EXPECT_TRUE(SaveWindowShot(m_dlg, prefix + "main-dialog" + suffix));

    // As a device read leaves it (texts set here by hand).
    m_dlg->EnableControls(true, true);
    m_dlg->m_addressEdit->SetValue("00:12:4B:00:1A:2C:3D:4E");
    m_dlg->m_firmwareEdit->SetValue("1.0.3");
    m_dlg->m_statusText->SetLabel(L"ACTIVE, 설정 모드");
    SerialPortSettings longest{L"/dev/rfcomm10", 921600, 7, 2, 2};
    m_dlg->m_statusBar->SetStatusText(CLumvexQ310DConfiguratorDlg::FormatConnectionText(longest), 0);
    EXPECT_TRUE(SaveWindowShot(m_dlg, prefix + "main-dialog-connected" + suffix));
    m_dlg->m_tabCtrl->SetSelection(1);
    EXPECT_TRUE(SaveWindowShot(m_dlg, prefix + "main-dialog-gpio" + suffix));

    CAboutDlg about(m_dlg);
    about.Show();
    EXPECT_TRUE(SaveWindowShot(&about, prefix + "about" + suffix));
    about.Hide();
}

INSTANTIATE_TEST_SUITE_P(Languages, MainDialogLanguageTest,
kBothLanguages, LanguageName);

TEST_F(MainDialogTest, CancellingTheComSettingsAtStartLeavesThePortClosedAndControlsDisabled)
{
    Open(wxID_CANCEL);
    EXPECT_FALSE(m_dlg->IsPortOpen());
    EXPECT_EQ(m_openPortMessages, 0);
    EXPECT_TRUE(m_dlg->IsShown());

    for (int id : {IDC_BUTTON_RESTART, IDC_BUTTON_FACTORY_RESET, IDC_EDIT_EXT_ADDRESS,
                   IDC_EDIT_FIRMWARE_VERSION})
        EXPECT_FALSE(Control(id)->IsEnabled()) << id;
    EXPECT_FALSE(m_dlg->m_generalPage->FindWindow(IDC_COMBO_CHANNEL)->IsEnabled());
    EXPECT_FALSE(m_dlg->m_gpioPage->FindWindow(IDC_COMBO_GPIO_MODE0)->IsEnabled());

    // Only the port settings are offered, in the menu and on the tool bar.
    EXPECT_TRUE(m_dlg->m_menuBar->IsEnabled(ID_SERIAL_PORT_CONFIG));
    EXPECT_TRUE(m_dlg->m_toolBar->GetToolEnabled(ID_SERIAL_PORT_CONFIG));
    for (int id : {ID_LOAD_CONFIG_FILE, ID_SAVE_CONFIG_FILE})
    {
        EXPECT_FALSE(m_dlg->m_menuBar->IsEnabled(id)) << id;
        EXPECT_FALSE(m_dlg->m_toolBar->GetToolEnabled(id)) << id;
    }
    EXPECT_TRUE(m_dlg->m_menuBar->IsEnabled(ID_APP_EXIT));
    EXPECT_TRUE(m_dlg->m_toolBar->GetToolEnabled(ID_APP_EXIT));
}

TEST_F(MainDialogTest, OkInTheComSettingsAtStartAsksForThePortOnce)
{
    Open(IDOK);
    EXPECT_EQ(m_openPortMessages, 1);

    // Showing the window again does not start over.
    int modals = 0;
    wxTEST_DIALOG(
        {
            m_dlg->Hide();
            ShowAndPump();
        },
        CountModals(modals));
    EXPECT_EQ(modals, 0);
    EXPECT_EQ(m_openPortMessages, 1);
}

TEST_F(MainDialogTest, EnablingWithThePortClosedStillOffersOnlyThePortSettings)
{
    Open();
    m_dlg->EnableControls(true, true);
    EXPECT_TRUE(Control(IDC_BUTTON_RESTART)->IsEnabled());
    EXPECT_TRUE(Control(IDC_EDIT_FIRMWARE_VERSION)->IsEnabled());
    EXPECT_TRUE(m_dlg->m_menuBar->IsEnabled(ID_SERIAL_PORT_CONFIG));
    EXPECT_FALSE(m_dlg->m_menuBar->IsEnabled(ID_LOAD_CONFIG_FILE));
    EXPECT_FALSE(m_dlg->m_toolBar->GetToolEnabled(ID_SAVE_CONFIG_FILE));
}

TEST_F(MainDialogTest, TheAboutItemAndAltWithItsLetterShowTheAboutBox)
{
    Open();
    wxTEST_DIALOG(
        {
            wxCommandEvent about(wxEVT_MENU, IDM_ABOUTBOX);
            m_dlg->m_menuBar->GetEventHandler()->ProcessEvent(about);
        },
        wxExpectDismissableModal<CAboutDlg>(IDOK).Describe("About box"));
    // "(&A)" in its text: Alt+A from any control of the dialog, a page's included.
    wxTEST_DIALOG(
        {
            wxWindow* control = m_dlg->m_tabCtrl;
            wxKeyEvent press(wxEVT_CHAR_HOOK);
            press.m_keyCode = 'A';
            press.m_altDown = true;
            press.SetEventObject(control);
            control->ProcessWindowEvent(press);
        },
        wxExpectDismissableModal<CAboutDlg>(IDOK).Describe("About box from Alt+A"));
    EXPECT_TRUE(m_dlg->IsShown());
}

TEST_F(MainDialogTest, TheWaitCursorStaysWhileBusy)
{
    Open();
    m_dlg->m_busy = true;
    wxSetCursorEvent busy(10, 10);
    m_dlg->GetEventHandler()->ProcessEvent(busy);
    EXPECT_TRUE(busy.HasCursor());

    m_dlg->m_busy = false;
    wxSetCursorEvent idle(10, 10);
    m_dlg->GetEventHandler()->ProcessEvent(idle);
    EXPECT_FALSE(idle.HasCursor());
}

TEST_F(MainDialogTest, CarriesIcon128InEveryDesktopSize)
{
    Open();
    EXPECT_EQ(m_dlg->m_hIcon.GetIconCount(), 6u);
    EXPECT_TRUE(m_dlg->m_hIcon.GetIcon(wxSize(16, 16)).IsOk());
    EXPECT_EQ(m_dlg->m_hIcon.GetIcon(wxSize(256, 256)).GetWidth(), 256);
    EXPECT_EQ(m_dlg->GetTitle(), "Q310 Manager");
}

}  // namespace
