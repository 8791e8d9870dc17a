#pragma once

#include <functional>

#include <wx/string.h>

class wxFileDialog;

// Runs a file dialog modally and gives the chosen full path; false when it was cancelled.
// GTK's chooser reports a path only while it is on screen, so tests cannot answer it
// through wx's modal-dialog hook; they install an answerer instead. UI thread only.
bool ChooseFilePath(wxFileDialog& dialog, wxString& path);

// Answers every file dialog in place of the user while set (empty: the real dialog).
using FileDialogAnswerer = std::function<bool(wxFileDialog& dialog, wxString& path)>;
void SetFileDialogAnswerer(FileDialogAnswerer answerer);
