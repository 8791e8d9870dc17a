#include "app/FileDialogChoice.h"

#include <wx/filedlg.h>

namespace {
FileDialogAnswerer g_answerer;  // UI thread only
}

bool ChooseFilePath(wxFileDialog& dialog, wxString& path)
{
    if (g_answerer)
        return g_answerer(dialog, path);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    path = dialog.GetPath();
    return true;
}

void SetFileDialogAnswerer(FileDialogAnswerer answerer)
{
    g_answerer = std::move(answerer);
}
