#pragma once

// Answers every modal dialog the program opens, without showing it, and records what the
// message boxes said: the COM settings dialog (with settings of the test's choosing), file
// dialogs (through the file-dialog answerer: the next queued path, or Cancel) and message boxes (with a set answer).
// One at a time per process; it is active for its life.

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <wx/modalhook.h>
#include <wx/string.h>

#include "device/SharedRecords.h"

// Runs wx events until condition holds or limit passes; false on time-out.
bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit);

class DialogAnswerer : public wxModalDialogHook
{
public:
    struct MessageBox
    {
        wxString message;
        wxString caption;
        long style;
    };

    DialogAnswerer();
    ~DialogAnswerer() override;
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    // The COM settings dialog: OK with these settings, or Cancel.
    bool comOk = true;
    SerialPortSettings comSettings;
    int comDialogs = 0;

    // File dialogs: each takes the front path; none left means Cancel.
    std::deque<wxString> filePaths;
    int fileDialogs = 0;
    std::vector<long> fileDialogStyles;     // of each file dialog shown
    std::vector<wxString> fileDialogFilters;

    // Message boxes: answered with this wx id (wxID_OK, wxID_YES, wxID_NO).
    int messageAnswer = wxID_OK;
    std::vector<MessageBox> messageBoxes;
    // The texts of the message boxes shown so far, in order.
    std::vector<wxString> Messages() const;

    // Any other modal dialog (About box, ...).
    int otherDialogs = 0;

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog*) override {}
};
