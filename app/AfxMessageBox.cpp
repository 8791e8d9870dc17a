#include "app/AfxMessageBox.h"

#include <wx/app.h>
#include <wx/msgdlg.h>

#include "app/AppMessageEvent.h"
#include "app/res/ResourceIds.h"

long MessageBoxStyleToWx(unsigned style)
{
    long wxStyle = 0;
    switch (style & 0x000F)
    {
    case MB_OKCANCEL:
        wxStyle = wxOK | wxCANCEL;
        break;
    case MB_YESNO:
        wxStyle = wxYES_NO;
        break;
    default:
        wxStyle = wxOK;
        break;
    }
    switch (style & 0x00F0)
    {
    case MB_ICONERROR:
        return wxStyle | wxICON_ERROR;
    case MB_ICONQUESTION:
        return wxStyle | wxICON_QUESTION;
    case MB_ICONWARNING:
        return wxStyle | wxICON_WARNING;
    case MB_ICONINFORMATION:
        return wxStyle | wxICON_INFORMATION;
    default:
        return wxStyle | wxICON_NONE;
    }
}

int AfxMessageBox(wxWindow* owner, const wxString& text, const wxString& caption, unsigned style)
{
    wxMessageDialog dialog(owner ? owner : GetAppMainWindow(), text, caption,
                           MessageBoxStyleToWx(style));
    switch (dialog.ShowModal())
    {
    case wxID_YES:
        return IDYES;
    case wxID_NO:
        return IDNO;
    case wxID_CANCEL:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

int AfxMessageBox(const wxString& text, unsigned style)
{
    const wxString caption = wxTheApp ? wxTheApp->GetAppName() : wxString();
    return AfxMessageBox(nullptr, text, caption, style);
}
