#pragma once

#include <string>
#include <vector>

#include <wx/dialog.h>

#include "device/SharedRecords.h"

class wxChoice;

// The modal dialog in which the user picks the serial port and the PC's line settings.
// Every choice is remembered in the per-user profile at once; OK hands the choice over
// in m_settings. The window is built from template 137 on the first DoModal and kept
// (hidden) between runs; each run starts afresh from the port list and the profile.
class ComConfigDlg : public wxDialog
{
public:
    ComConfigDlg();
    ~ComConfigDlg() override;
    ComConfigDlg(const ComConfigDlg&) = delete;
    ComConfigDlg& operator=(const ComConfigDlg&) = delete;

    // Runs the dialog modally; returns IDOK or IDCANCEL.
    int DoModal(wxWindow* parent = nullptr);

    // Builds the window from its template when it does not exist yet.
    bool CreateFromTemplate(wxWindow* parent = nullptr);
    // Prepares a run: title, port list and line settings from the profile.
    bool OnInitDialog();

    // Where the port list is read from (sysfs root and /dev root).
    void SetPortListRoots(const std::string& sysfsRoot, const std::string& devRoot);

    // Handlers of the buttons and the five combo boxes.
    void OnBnClickedOk(wxCommandEvent& event);
    void OnBnClickedCancel(wxCommandEvent& event);
    void OnCbnSelchangeComboPort(wxCommandEvent& event);
    void OnCbnSelchangeComboBaudrate(wxCommandEvent& event);
    void OnCbnSelchangeComboParity(wxCommandEvent& event);
    void OnCbnSelchangeComboStopbit(wxCommandEvent& event);
    void OnCbnSelchangeComboDatabit(wxCommandEvent& event);
    void OnSize(wxSizeEvent& event);
    // Keys before the controls get them: Enter presses OK.
    void PreTranslateMessage(wxKeyEvent& event);

    wxChoice* m_comboPort = nullptr;      // 1018
    wxChoice* m_comboBaudrate = nullptr;  // 1019
    wxChoice* m_comboParity = nullptr;    // 1020
    wxChoice* m_comboStopbit = nullptr;   // 1021
    wxChoice* m_comboDatabit = nullptr;   // 1022
    std::vector<SerialPortEntry> m_portList;  // the ports found when the dialog last opened
    SerialPortSettings m_settings;            // the result, in the PC's encoding

private:
    void DoDataExchange();
    void InitComboBoxes();
    // Ends a modal run with result; outside one, records the result and hides the window.
    void EndDialog(int result);
    // Stores the selected row's value under a profile value name (nothing without a selection).
    void WriteSelectedValue(const wxChoice* combo, const wchar_t* valueName);

    std::string m_sysfsRoot = "/sys";
    std::string m_devRoot = "/dev";

    wxDECLARE_EVENT_TABLE();
};
