#include "app/AdvConfigPage.h"

#include "app/DialogTemplate.h"
#include "app/res/ResourceIds.h"

wxIMPLEMENT_DYNAMIC_CLASS(AdvConfigPage, wxPanel);

wxBEGIN_EVENT_TABLE(AdvConfigPage, wxPanel)
wxEND_EVENT_TABLE()

AdvConfigPage::AdvConfigPage() = default;

AdvConfigPage::~AdvConfigPage() = default;

bool AdvConfigPage::Create(wxWindow* parent)
{
    // Hidden from the start, so that it never flashes up over the tab control.
    Hide();
    if (!wxPanel::Create(parent, IDD_ADV_CONFIG, wxDefaultPosition, wxDefaultSize,
                         wxTAB_TRAVERSAL | wxBORDER_NONE))
        return false;
    BuildDialogTemplate(this, kDialogTemplate106);
    return true;
}
