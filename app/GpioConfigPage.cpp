#include "app/GpioConfigPage.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/textctrl.h>

#include "app/AfxMessageBox.h"
#include "app/AppMessageEvent.h"
#include "app/DialogTemplate.h"
#include "app/FillComboBox.h"
#include "app/res/ResourceIds.h"
#include "app/res/StringTable.h"

namespace {

struct AltFunction
{
    const wchar_t* name;
    uint16_t gpio;
};

const AltFunction kAltFunctions[] = {
    {L"Status LED", 2}, {L"AIO 0", 3},    {L"AIO 1", 4},    {L"AIO 2", 5},
    {L"AIO 3", 6},      {L"UART CTS", 8}, {L"UART RTS", 9},
};

const ComboRow kInputRows[] = {{L"No Pull", 0}, {L"Pull Up", 1}, {L"Pull Down", 2}};
const ComboRow kOutputRows[] = {{L"Low", 0}, {L"High", 1}};
const ComboRow kStatusLedRows[] = {{L"Push Pull", 0}, {L"Inv Push Pull", 1}};
const ComboRow kNoneRows[] = {{L"None", 0}};

constexpr int kStatusLedGpio = 2;
constexpr int kLastIoModeId = IDC_COMBO_GPIO_MODE0 + 2 * (kGpioCount - 1);

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(GpioConfigPage, wxPanel)
    EVT_CHOICE(IDC_COMBO_GPIO_MODE0 + 0, GpioConfigPage::OnCbnSelchangeComboIoMode)
    EVT_CHOICE(IDC_COMBO_GPIO_MODE0 + 2, GpioConfigPage::OnCbnSelchangeComboIoMode)
    EVT_CHOICE(IDC_COMBO_GPIO_MODE0 + 4, GpioConfigPage::OnCbnSelchangeComboIoMode)
    EVT_CHOICE(IDC_COMBO_GPIO_MODE0 + 6, GpioConfigPage::OnCbnSelchangeComboIoMode)
    EVT_CHOICE(IDC_COMBO_GPIO_MODE0 + 8, GpioConfigPage::OnCbnSelchangeComboIoMode)
    EVT_CHOICE(IDC_COMBO_GPIO_MODE0 + 10, GpioConfigPage::OnCbnSelchangeComboIoMode)
    EVT_CHOICE(IDC_COMBO_GPIO_MODE0 + 12, GpioConfigPage::OnCbnSelchangeComboIoMode)
    EVT_CHOICE(IDC_COMBO_GPIO_MODE0 + 14, GpioConfigPage::OnCbnSelchangeComboIoMode)
    EVT_CHOICE(IDC_COMBO_GPIO_MODE0 + 16, GpioConfigPage::OnCbnSelchangeComboIoMode)
    EVT_CHOICE(IDC_COMBO_GPIO_MODE0 + 18, GpioConfigPage::OnCbnSelchangeComboIoMode)
    EVT_CHOICE(IDC_COMBO_GPIO_MODE0 + 20, GpioConfigPage::OnCbnSelchangeComboIoMode)
    EVT_CHOICE(IDC_COMBO_GPIO_MODE0 + 22, GpioConfigPage::OnCbnSelchangeComboIoMode)
    EVT_CHOICE(IDC_COMBO_GPIO_MODE0 + 24, GpioConfigPage::OnCbnSelchangeComboIoMode)
    EVT_BUTTON(IDC_BUTTON_GPIO_APPLY, GpioConfigPage::OnBnClickedApply)
wxEND_EVENT_TABLE()
// clang-format on

static_assert(kLastIoModeId == 1063, "the last I/O-mode combo box is 1063");

GpioConfigPage::GpioConfigPage() = default;

bool GpioConfigPage::Create(wxWindow* parent, wxWindowID id)
{
    if (!wxPanel::Create(parent, id, wxDefaultPosition, wxDefaultSize,
                         wxTAB_TRAVERSAL | wxBORDER_SIMPLE))
        return false;
    BuildDialogTemplate(this, kDialogTemplate103);
    DoDataExchange();
    return OnInitDialog();
}

void GpioConfigPage::DoDataExchange()
{
    m_ioModeCombos.clear();
    m_configCombos.clear();
    for (int i = 0; i < kGpioCount; ++i)
        m_ioModeCombos.push_back(wxDynamicCast(FindWindow(IDC_COMBO_GPIO_MODE0 + 2 * i), wxChoice));
    for (int i = 0; i < kGpioCount; ++i)
        m_configCombos.push_back(wxDynamicCast(FindWindow(IDC_COMBO_GPIO_CONFIG0 + 2 * i), wxChoice));
    m_editPeriod = wxDynamicCast(FindWindow(IDC_EDIT_REPORT_PERIOD), wxTextCtrl);
    m_checkSendRemote = wxDynamicCast(FindWindow(IDC_CHECK_SEND_REMOTE), wxCheckBox);
}

bool GpioConfigPage::OnInitDialog()
{
    InitControls();
    return true;
}

const wchar_t* GpioConfigPage::GetAltFunctionName(uint8_t gpio)
{
    for (const AltFunction& f : kAltFunctions)
    {
        if (f.gpio == gpio)
            return f.name;
    }
    return nullptr;
}

bool GpioConfigPage::HasAltFunction(uint8_t gpio)
{
    return GetAltFunctionName(gpio) != nullptr;
}

void GpioConfigPage::InitControls()
{
    for (int i = 0; i < kGpioCount; ++i)
    {
        wxChoice* combo = m_ioModeCombos[i];
        combo->Clear();
        AddComboItem(combo, L"Input", 0);
        AddComboItem(combo, L"Output", 1);
        if (HasAltFunction(static_cast<uint8_t>(i)))
            AddComboItem(combo, GetAltFunctionName(static_cast<uint8_t>(i)), 2);
        combo->SetSelection(0);
        FitComboWidth(combo);
    }
    for (int i = 0; i < kGpioCount; ++i)
        FillComboBox(m_configCombos[i], kInputRows, 0);
    m_editPeriod->ChangeValue("0");
    m_editPeriod->Disable();
    m_checkSendRemote->SetValue(false);
    m_checkSendRemote->Disable();
    FindWindow(IDC_BUTTON_GPIO_APPLY)->SetLabel(LoadString(IDS_APPLY));
    EnableControls(false);
}

bool GpioConfigPage::FillConfigList(int row, uint8_t ioMode, uint32_t current)
{
    wxChoice* combo = m_configCombos[row];
    switch (ioMode)
    {
    case 0:
        FillComboBox(combo, kInputRows, current);
        return true;
    case 1:
        FillComboBox(combo, kOutputRows, current);
        return true;
    case 2:
        if (row == kStatusLedGpio)
            FillComboBox(combo, kStatusLedRows, current);
        else
            FillComboBox(combo, kNoneRows, current);
        return true;
    default:
        return false;
    }
}

void GpioConfigPage::ShowSettings()
{
    // Rows are addressed by position; the entries' gpio members are not read.
    for (int i = 0; i < kGpioCount; ++i)
    {
        const GpioEntry& entry = m_settings.gpio[i];
        SelectComboItemByValue(m_ioModeCombos[i], entry.ioMode);
        FillConfigList(i, entry.ioMode, entry.config);
    }
}

void GpioConfigPage::OnIoModeChanged(int gpio)
{
    if (gpio < 0 || gpio >= kGpioCount)
        return;
    uint32_t mode = 0;
    if (!GetComboSelectedValue(m_ioModeCombos[gpio], mode))
        return;
    // Each list starts at its first row: "No Pull", "Low", "Push Pull" or "None".
    FillConfigList(gpio, static_cast<uint8_t>(mode), 0);
}

void GpioConfigPage::OnCbnSelchangeComboIoMode(wxCommandEvent& event)
{
    OnIoModeChanged((event.GetId() - IDC_COMBO_GPIO_MODE0) / 2);
}

uint32_t GpioConfigPage::ReadInterval() const
{
    // _wtoi: leading blanks and sign, then digits; no digits is 0; out of range clamps.
    const long long value = std::strtoll(m_editPeriod->GetValue().utf8_str().data(), nullptr, 10);
    const long long clamped = std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                                    std::numeric_limits<int>::max());
    return static_cast<uint32_t>(static_cast<int>(clamped));
}

void GpioConfigPage::OnBnClickedApply(wxCommandEvent&)
{
    wxWindow* mainWindow = GetAppMainWindow();
    if (!mainWindow)
        return;
    EnableControls(false);
    const uint32_t interval = ReadInterval();
    if (interval >= 1 && interval <= 999)
    {
        AfxMessageBox(LoadString(IDS_INVALID_GPIO_INTERVAL), MB_OK | MB_ICONSTOP);
        EnableControls(true);
        return;
    }
    CollectSettings();
    PostAppMessage(mainWindow, WM_APP_APPLY_GPIO, 0, 0);
}

void GpioConfigPage::CollectSettings()
{
    m_settings.report.reportInterval = ReadInterval();
    m_settings.report.sendRemote = m_checkSendRemote->GetValue() ? 1 : 0;
    for (int i = 0; i < kGpioCount; ++i)
    {
        GpioEntry& entry = m_settings.gpio[i];
        entry.gpio = static_cast<uint8_t>(i);
        // A combo box without a selection keeps the value the record already holds.
        uint32_t value = 0;
        if (GetComboSelectedValue(m_ioModeCombos[i], value))
            entry.ioMode = static_cast<uint8_t>(value);
        if (GetComboSelectedValue(m_configCombos[i], value))
            entry.config = static_cast<uint8_t>(value);
    }
}

void GpioConfigPage::EnableControls(bool enable)
{
    for (wxChoice* combo : m_ioModeCombos)
        combo->Enable(enable);
    for (wxChoice* combo : m_configCombos)
        combo->Enable(enable);
    m_editPeriod->Enable(enable);
    m_checkSendRemote->Enable(enable);
    if (wxWindow* apply = FindWindow(IDC_BUTTON_GPIO_APPLY))
        apply->Enable(enable);
}
