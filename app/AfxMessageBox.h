#pragma once

#include <wx/string.h>

class wxWindow;

// Message-box styles, as the dialogs pass them (button set | icon).
constexpr unsigned MB_OK = 0x0000;
constexpr unsigned MB_OKCANCEL = 0x0001;
constexpr unsigned MB_YESNO = 0x0004;
constexpr unsigned MB_ICONERROR = 0x0010;
constexpr unsigned MB_ICONSTOP = MB_ICONERROR;
constexpr unsigned MB_ICONQUESTION = 0x0020;
constexpr unsigned MB_ICONWARNING = 0x0030;
constexpr unsigned MB_ICONEXCLAMATION = MB_ICONWARNING;
constexpr unsigned MB_ICONINFORMATION = 0x0040;

// Shows a modal message box over the application's main window with the application's
// name as caption. Returns IDOK, IDCANCEL, IDYES or IDNO (app/res/ResourceIds.h).
int AfxMessageBox(const wxString& text, unsigned style = MB_OK);

// The same with a caption of the caller's and an owner window (nullptr: the main window).
int AfxMessageBox(wxWindow* owner, const wxString& text, const wxString& caption,
                  unsigned style = MB_OK);

// The wx style (buttons and icon) that a message-box style stands for.
long MessageBoxStyleToWx(unsigned style);
