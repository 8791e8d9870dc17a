#pragma once

#include <cstdint>

#include <wx/panel.h>

#include "device/SharedRecords.h"

class wxCheckBox;
class wxChoice;

// The general settings page (first tab): network role, transmission mode, one-to-one or
// one-to-many, group (PAN) ID, RF channel, the modem's UART and its quiet mode. Apply
// checks the group ID, writes m_values and posts WM_APP_APPLY_GENERAL to the main window.
// UART values here are in the modem's encoding (parity 0 none, 1 even, 2 odd; stop bits
// 0 one, 1 two).
class GeneralInfoPage : public wxPanel
{
public:
    GeneralInfoPage();
    GeneralInfoPage(const GeneralInfoPage&) = delete;
    GeneralInfoPage& operator=(const GeneralInfoPage&) = delete;

    // Builds the page from template 107 as a child of parent, then runs OnInitDialog.
    bool Create(wxWindow* parent, wxWindowID id = wxID_ANY);
    // Sets the start-up state: defaults shown, page disabled.
    bool OnInitDialog();

    // Copies values into m_values and shows them.
    void SetSettings(const GeneralInfoValues& values);
    // Enables or disables the input controls (check box 1049 stays disabled).
    void EnableControls(bool enable);
    // Refills the channel list for a PHY ID and selects its default channel.
    void FillChannelList(uint8_t phyId);

    void OnBnClickedApply(wxCommandEvent& event);
    void OnBnClickedRadio(wxCommandEvent& event);
    void OnBnClickedOk(wxCommandEvent& event);  // IDOK does nothing on this page

    // Moves the exchanged members to the controls (false) or back (true). Returns false
    // when the group-ID text is not an unsigned number; the radio indices are then not read.
    bool UpdateData(bool saveAndValidate);

    wxChoice* m_comboBaudrate = nullptr;  // 1001
    wxChoice* m_comboParity = nullptr;    // 1004
    wxChoice* m_comboStopbit = nullptr;   // 1005
    wxChoice* m_comboDatabit = nullptr;   // 1009
    wxChoice* m_comboChannel = nullptr;   // 1026
    uint32_t m_groupId = 1000;            // edit 1025
    GeneralInfoValues m_values{};         // the page's record
    int m_roleIndex = 0;                  // 1033 master, 1034 slave
    int m_transmitIndex = 0;              // 1035 AT command, 1036 bypass
    int m_peerIndex = 0;                  // 1037 1:1, 1038 1:N
    wxCheckBox* m_checkOutdoorFixed = nullptr;  // 1049, never shown: carries the PHY ID choice
    int m_responseIndex = 0;                    // 1065 ON, 1066 OFF

private:
    void DoDataExchange();
    int GetRadioIndex(int firstId, int count) const;
    void SetRadioIndex(int firstId, int count, int index);

    wxDECLARE_EVENT_TABLE();
};
