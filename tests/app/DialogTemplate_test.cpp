#include "app/DialogTemplate.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/FillComboBox.h"
#include "app/res/ResourceIds.h"
#include "support/GuiFixtures.h"

namespace {

class DialogTemplateTest : public GuiTest
{
protected:
    DialogTemplateTest() : m_frame(new wxFrame(nullptr, wxID_ANY, "host")) {}
    ~DialogTemplateTest() override { m_frame->Destroy(); }

    wxPanel* Build(int id)
    {
        const DialogTemplate* tmpl = FindDialogTemplate(id);
        EXPECT_NE(tmpl, nullptr);
        auto* panel = new wxPanel(m_frame);
        if (tmpl)
            m_base = BuildDialogTemplate(panel, *tmpl);
        return panel;
    }

    wxFrame* m_frame;
    wxSize m_base;
};

TEST(DialogUnits, ConvertLikeWindowsDialogUnitsRoundingToNearest)
{
    const wxRect r = DialogUnitsToPixels(wxRect(8, 16, 50, 14), wxSize(6, 13));
    EXPECT_EQ(r, wxRect(12, 26, 75, 23));
}

TEST_F(DialogTemplateTest, TemplatesAreFoundById)
{
    EXPECT_EQ(FindDialogTemplate(IDD_COM_CONFIG), &kDialogTemplate137);
    EXPECT_EQ(FindDialogTemplate(IDD_GENERAL_INFO), &kDialogTemplate107);
    EXPECT_EQ(FindDialogTemplate(IDD_GPIO_CONFIG), &kDialogTemplate103);
    EXPECT_EQ(FindDialogTemplate(4711), nullptr);
}

TEST_F(DialogTemplateTest, ControlsAreCreatedInTabOrderWithTheirIdsKindsAndPlaces)
{
    wxPanel* panel = Build(IDD_COM_CONFIG);
    const wxWindowList& children = panel->GetChildren();
    ASSERT_EQ(children.size(), kDialogTemplate137.controls.size());
    size_t i = 0;
    for (wxWindow* child : children)
    {
        // Controls nobody addresses get wx's own (negative) ids.
        const int id = kDialogTemplate137.controls[i++].id;
        if (id == IDC_STATIC)
            EXPECT_LT(child->GetId(), 0);
        else
            EXPECT_EQ(child->GetId(), id);
    }
    auto* ok = wxDynamicCast(panel->FindWindow(IDOK), wxButton);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->GetLabel(), wxString(L"확인"));
    EXPECT_EQ(ok->GetPosition(), DialogUnitsToPixels(wxRect(97, 63, 50, 14), m_base).GetPosition());
    EXPECT_NE(wxDynamicCast(panel->FindWindow(IDC_COMBO_PORT), wxChoice), nullptr);
    EXPECT_TRUE(panel->FindWindow(IDC_COMBO_PORT)->HasFlag(wxCB_SORT));
    EXPECT_FALSE(panel->FindWindow(IDC_COMBO_BAUDRATE)->HasFlag(wxCB_SORT));
    EXPECT_EQ(panel->GetClientSize(), DialogUnitsToPixels(wxRect(0, 0, 309, 86), m_base).GetSize());
}

TEST_F(DialogTemplateTest, HiddenDisabledAndRadioGroupsFollowTheTemplate)
{
    wxPanel* panel = Build(IDD_GENERAL_INFO);
    wxWindow* check = panel->FindWindow(IDC_CHECK_OUTDOOR_FIXED);
    ASSERT_NE(check, nullptr);
    EXPECT_FALSE(check->IsShown());
    EXPECT_FALSE(check->IsEnabled());
    for (int id : {IDC_RADIO_MASTER, IDC_RADIO_AT_COMMAND, IDC_RADIO_P2P, IDC_RADIO_RESPONSE_ON})
        EXPECT_TRUE(panel->FindWindow(id)->HasFlag(wxRB_GROUP)) << id;
    auto* slave = wxDynamicCast(panel->FindWindow(IDC_RADIO_SLAVE), wxRadioButton);
    auto* bypass = wxDynamicCast(panel->FindWindow(IDC_RADIO_BYPASS), wxRadioButton);
    slave->SetValue(true);
    bypass->SetValue(true);
    // Each group keeps its own choice.
    EXPECT_TRUE(slave->GetValue());
    EXPECT_FALSE(wxDynamicCast(panel->FindWindow(IDC_RADIO_MASTER), wxRadioButton)->GetValue());
    EXPECT_FALSE(wxDynamicCast(panel->FindWindow(IDC_RADIO_AT_COMMAND), wxRadioButton)->GetValue());
}

TEST_F(DialogTemplateTest, RadioButtonsAndCheckBoxesAreNeverSmallerThanTheyNeed)
{
    // Smaller than its indicator and label, GTK cannot lay a radio button out at all.
    for (int id : {IDD_GENERAL_INFO, IDD_GPIO_CONFIG})
    {
        wxPanel* panel = Build(id);
        for (wxWindow* child : panel->GetChildren())
        {
            if (!wxDynamicCast(child, wxRadioButton) && !wxDynamicCast(child, wxCheckBox))
                continue;
            const wxSize best = child->GetBestSize();
            EXPECT_GE(child->GetSize().x, best.x) << child->GetLabel();
            EXPECT_GE(child->GetSize().y, best.y) << child->GetLabel();
        }
    }
}

TEST_F(DialogTemplateTest, AFilledDropListShowsItsWidestItemWithoutCoveringItsNeighbours)
{
    wxPanel* panel = Build(IDD_GENERAL_INFO);
    auto* baud = wxDynamicCast(panel->FindWindow(IDC_COMBO_UART_BAUDRATE), wxChoice);
    const int templateWidth = baud->GetSize().x;
    FillComboBox(baud, kBaudrateRows, 921600);
    EXPECT_GT(baud->GetSize().x, templateWidth);  // "921600" does not fit the template's width under GTK
    for (wxWindow* child : panel->GetChildren())
    {
        if (child == baud || wxDynamicCast(child, wxStaticBox))
            continue;
        EXPECT_FALSE(child->GetRect().Intersects(baud->GetRect())) << child->GetId();
    }
}

TEST_F(DialogTemplateTest, ADigitsOnlyEditRefusesOtherCharacters)
{
    wxPanel* panel = Build(IDD_GENERAL_INFO);
    auto* edit = wxDynamicCast(panel->FindWindow(IDC_EDIT_GROUP_ID), wxTextCtrl);
    ASSERT_NE(edit, nullptr);
    TypeText(edit, "12a3-4 5");
    EXPECT_EQ(edit->GetValue(), "12345");
}

}  // namespace
