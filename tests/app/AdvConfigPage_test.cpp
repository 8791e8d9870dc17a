#include "app/AdvConfigPage.h"

#include <wx/frame.h>
#include <wx/textctrl.h>

#include "app/res/ResourceIds.h"
#include "support/GuiFixtures.h"

namespace {

using AdvConfigPageTest = GuiTest;

TEST_F(AdvConfigPageTest, IsCreatedHiddenWithAReadOnlyPhyIdField)
{
    auto* frame = new wxFrame(nullptr, wxID_ANY, "host");
    frame->Show();
    auto* page = new AdvConfigPage;
    ASSERT_TRUE(page->Create(frame));
    EXPECT_FALSE(page->IsShown());
    EXPECT_EQ(page->GetId(), IDD_ADV_CONFIG);
    auto* phyId = wxDynamicCast(page->FindWindow(IDC_EDIT_PHY_ID), wxTextCtrl);
    ASSERT_NE(phyId, nullptr);
    EXPECT_FALSE(phyId->IsEditable());
    EXPECT_TRUE(phyId->GetValue().empty());
    EXPECT_TRUE(page->IsKindOf(wxCLASSINFO(AdvConfigPage)));
    frame->Destroy();
}

}  // namespace
