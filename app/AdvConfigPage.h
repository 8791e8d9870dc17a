#pragma once

#include <wx/panel.h>

// The advanced page (template 106): a PHY ID field that nothing fills. The main dialog
// creates it as a hidden child of its tab control and never gives it a tab.
class AdvConfigPage : public wxPanel
{
public:
    AdvConfigPage();
    ~AdvConfigPage() override;
    AdvConfigPage(const AdvConfigPage&) = delete;
    AdvConfigPage& operator=(const AdvConfigPage&) = delete;

    // Builds the page from its template as a hidden child of parent.
    bool Create(wxWindow* parent);

private:
    wxDECLARE_DYNAMIC_CLASS(AdvConfigPage);
    wxDECLARE_EVENT_TABLE();
};
