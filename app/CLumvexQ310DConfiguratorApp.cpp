#include "app/CLumvexQ310DConfiguratorApp.h"

#include "app/AppMessageEvent.h"
#include "app/AppProfile.h"
#include "app/CLumvexQ310DConfiguratorDlg.h"

wxBEGIN_EVENT_TABLE(CLumvexQ310DConfiguratorApp, wxApp)
wxEND_EVENT_TABLE()

CLumvexQ310DConfiguratorApp::CLumvexQ310DConfiguratorApp() = default;

CLumvexQ310DConfiguratorApp::~CLumvexQ310DConfiguratorApp() = default;

bool CLumvexQ310DConfiguratorApp::OnInit()
{
    // The profile lives under the vendor "Quorbit" and the program's name.
    SetVendorName(AppProfile::kVendorName);
    SetAppName(AppProfile::kAppName);

    CLumvexQ310DConfiguratorDlg dlg;
    SetTopWindow(&dlg);
    SetAppMainWindow(&dlg);
    dlg.ShowModal();
    SetAppMainWindow(nullptr);
    SetTopWindow(nullptr);
    return true;
}

int CLumvexQ310DConfiguratorApp::OnRun()
{
    return 0;
}
