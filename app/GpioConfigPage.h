#pragma once

#include <cstdint>
#include <vector>

#include <wx/panel.h>

#include "device/SharedRecords.h"

class wxCheckBox;
class wxChoice;
class wxTextCtrl;

// The GPIO settings page (second tab): for each of the 13 GPIOs an I/O mode and a
// configuration that depends on it, and the periodic report (interval, send to remote).
// Apply checks the interval, writes m_settings and posts WM_APP_APPLY_GPIO to the main
// window.
class GpioConfigPage : public wxPanel
{
public:
    GpioConfigPage();
    GpioConfigPage(const GpioConfigPage&) = delete;
    GpioConfigPage& operator=(const GpioConfigPage&) = delete;

    // Builds the page from template 103 as a child of parent, then runs OnInitDialog.
    bool Create(wxWindow* parent, wxWindowID id = wxID_ANY);
    bool OnInitDialog();

    // Fills every row and sets the start-up state (every row "Input"/"No Pull", disabled).
    void InitControls();
    // Shows m_settings.gpio in the 13 rows; the report controls are left alone.
    void ShowSettings();
    // Enables or disables the 26 combo boxes, the edit, the check box and Apply.
    void EnableControls(bool enable);
    // Refills row gpio's configuration list for the I/O mode now selected.
    void OnIoModeChanged(int gpio);
    // Writes m_settings from the controls.
    void CollectSettings();

    void OnBnClickedApply(wxCommandEvent& event);
    void OnCbnSelchangeComboIoMode(wxCommandEvent& event);  // rows 0 to 12 by control id

    // The alternate function's name of a GPIO, or nullptr when it has none.
    static const wchar_t* GetAltFunctionName(uint8_t gpio);
    static bool HasAltFunction(uint8_t gpio);

    std::vector<wxChoice*> m_ioModeCombos;  // row i: control 1039 + 2i
    std::vector<wxChoice*> m_configCombos;  // row i: control 1040 + 2i
    GpioSettings m_settings{};              // the page's record
    wxTextCtrl* m_editPeriod = nullptr;     // 1027, report interval in milliseconds
    wxCheckBox* m_checkSendRemote = nullptr;  // 1028

private:
    void DoDataExchange();
    // Fills row's configuration list for an I/O mode and selects current; false for an
    // unknown mode (the list stays as it was).
    bool FillConfigList(int row, uint8_t ioMode, uint32_t current);
    // The edit's text as _wtoi reads it.
    uint32_t ReadInterval() const;

    wxDECLARE_EVENT_TABLE();
};
