#include "app/CAboutDlg.h"

#include "app/DialogTemplate.h"
#include "app/res/ResourceIds.h"

wxBEGIN_EVENT_TABLE(CAboutDlg, wxDialog)
wxEND_EVENT_TABLE()

CAboutDlg::CAboutDlg(wxWindow* parent)
    : wxDialog(parent, IDD_ABOUTBOX, kDialogTemplate100.caption, wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX)
{
    BuildDialogTemplate(this, kDialogTemplate100);
    // The template's OK button carries the Windows id 1, not wxID_OK.
    SetAffirmativeId(IDOK);
    CentreOnParent();
}

CAboutDlg::~CAboutDlg() = default;
