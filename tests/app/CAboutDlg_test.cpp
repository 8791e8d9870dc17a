#include "app/CAboutDlg.h"

#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "app/res/ResourceIds.h"
#include "support/GuiFixtures.h"

namespace {

using CAboutDlgTest = GuiTest;

TEST_F(CAboutDlgTest, ShowsTheIconTheProductNameAndWhatItIs)
{
    CAboutDlg dialog;
    EXPECT_EQ(dialog.GetTitle(), L"Q310 Manager 정보");
    auto* product = wxDynamicCast(dialog.FindWindow(IDC_STATIC_PRODUCT), wxStaticText);
    ASSERT_NE(product, nullptr);
    EXPECT_EQ(product->GetLabel(), "Q310 Manager");

    bool haveIcon = false;
    bool haveSecondLine = false;
    for (wxWindow* child : dialog.GetChildren())
    {
        if (auto* icon = wxDynamicCast(child, wxStaticBitmap))
            haveIcon = icon->GetBitmap().IsOk();
        if (auto* text = wxDynamicCast(child, wxStaticText); text && text != product)
            haveSecondLine = !text->GetLabel().empty();
    }
    EXPECT_TRUE(haveIcon);
    EXPECT_TRUE(haveSecondLine);
}

TEST_F(CAboutDlgTest, OkClosesTheBox)
{
    CAboutDlg dialog;
    dialog.Show();
    auto* ok = wxDynamicCast(dialog.FindWindow(IDOK), wxButton);
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->IsShown());
    wxCommandEvent click(wxEVT_BUTTON, IDOK);
    click.SetEventObject(ok);
    ok->GetEventHandler()->ProcessEvent(click);
    EXPECT_FALSE(dialog.IsShown());
}

TEST_F(CAboutDlgTest, ModalRunIsAnsweredLikeAnyDialog)
{
    CAboutDlg dialog;
    int result = 0;
    wxTEST_DIALOG(result = dialog.ShowModal(), wxExpectDismissableModal<CAboutDlg>(IDOK));
    EXPECT_EQ(result, IDOK);
}

}  // namespace
