#include "app/CLumvexQ310DConfiguratorApp.h"

#include <clocale>

#include "app/AppMessageEvent.h"
#include "app/AppProfile.h"
#include "app/CLumvexQ310DConfiguratorDlg.h"

wxBEGIN_EVENT_TABLE(CLumvexQ310DConfiguratorApp, wxApp)
wxEND_EVENT_TABLE()

CLumvexQ310DConfiguratorApp::CLumvexQ310DConfiguratorApp() = default;

CLumvexQ310DConfiguratorApp::~CLumvexQ310DConfiguratorApp() = default;

bool CLumvexQ310DConfiguratorApp::Initialize(int& argc, wxChar** argv)
{
    // Texts, file names and the toolkit's own dialogs follow the user's locale; a C program
    // starts in "C", where every character beyond ASCII fails to convert. Numbers keep the
    // "C" format, so files and command lines read the same in every locale.
    if (!std::setlocale(LC_ALL, ""))
        std::setlocale(LC_CTYPE, "");  // some categories name a locale that is not installed
    std::setlocale(LC_NUMERIC, "C");
    return wxApp::Initialize(argc, argv);
}

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
