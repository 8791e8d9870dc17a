#pragma once

#include <wx/dialog.h>

// The About box (template 100): the program's icon, its name and what it is.
class CAboutDlg : public wxDialog
{
public:
    explicit CAboutDlg(wxWindow* parent = nullptr);
    ~CAboutDlg() override;
    CAboutDlg(const CAboutDlg&) = delete;
    CAboutDlg& operator=(const CAboutDlg&) = delete;

private:
    wxDECLARE_EVENT_TABLE();
};
