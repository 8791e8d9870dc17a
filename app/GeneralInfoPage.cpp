#include "app/GeneralInfoPage.h"

#include <limits>

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include "app/AfxMessageBox.h"
#include "app/AppMessageEvent.h"
#include "app/DialogTemplate.h"
#include "app/FillComboBox.h"
#include "app/res/ResourceIds.h"
#include "app/res/StringTable.h"

namespace {

// The modem's encoding of the UART settings.
const ComboRow kParityRows[] = {{L"None", 0}, {L"Odd", 2}, {L"Even", 1}};
const ComboRow kStopbitRows[] = {{L"1", 0}, {L"2", 1}};

// The group ID: digits, with blanks around them at most. Anything else (a pasted "12abc")
// is no number at all rather than its leading digits. Values beyond 32 bits saturate,
// which the range check refuses like any other large value.
bool ParseUnsigned(const wxString& text, uint32_t& value)
{
    wxString digits = text;
    digits.Trim(false).Trim(true);
    size_t end = 0;
    while (end < digits.size() && digits[end] >= '0' && digits[end] <= '9')
        ++end;
    if (end == 0 || end != digits.size())
        return false;
    unsigned long long parsed = 0;
    if (!digits.substr(0, end).ToULongLong(&parsed) || parsed > std::numeric_limits<uint32_t>::max())
        parsed = std::numeric_limits<uint32_t>::max();
    value = static_cast<uint32_t>(parsed);
    return true;
}

// opMode from the two radio groups: AT command or bypass, one-to-one or one-to-many.
uint8_t OpModeOf(int transmitIndex, int peerIndex)
{
    if (transmitIndex == 0)
        return peerIndex == 1 ? 4 : 2;  // MULTICMD : P2PCMD
    return peerIndex == 1 ? 3 : 1;      // MULTI : P2P
}

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(GeneralInfoPage, wxPanel)
    EVT_BUTTON(IDC_BUTTON_GENERAL_APPLY, GeneralInfoPage::OnBnClickedApply)
    EVT_COMMAND_RANGE(IDC_RADIO_MASTER, IDC_RADIO_SLAVE, wxEVT_RADIOBUTTON, GeneralInfoPage::OnBnClickedRadio)
    EVT_COMMAND_RANGE(IDC_RADIO_AT_COMMAND, IDC_RADIO_BYPASS, wxEVT_RADIOBUTTON, GeneralInfoPage::OnBnClickedRadio)
    EVT_COMMAND_RANGE(IDC_RADIO_P2P, IDC_RADIO_P2MP, wxEVT_RADIOBUTTON, GeneralInfoPage::OnBnClickedRadio)
    EVT_COMMAND_RANGE(0, IDOK, wxEVT_BUTTON, GeneralInfoPage::OnBnClickedOk)
wxEND_EVENT_TABLE()
// clang-format on

GeneralInfoPage::GeneralInfoPage() = default;

bool GeneralInfoPage::Create(wxWindow* parent, wxWindowID id)
{
    if (!wxPanel::Create(parent, id, wxDefaultPosition, wxDefaultSize,
                         wxTAB_TRAVERSAL | wxBORDER_SIMPLE))
        return false;
    BuildDialogTemplate(this, kDialogTemplate107);
    DoDataExchange();
    return OnInitDialog();
}

void GeneralInfoPage::DoDataExchange()
{
    m_comboBaudrate = wxDynamicCast(FindWindow(IDC_COMBO_UART_BAUDRATE), wxChoice);
    m_comboParity = wxDynamicCast(FindWindow(IDC_COMBO_UART_PARITY), wxChoice);
    m_comboStopbit = wxDynamicCast(FindWindow(IDC_COMBO_UART_STOPBIT), wxChoice);
    m_comboDatabit = wxDynamicCast(FindWindow(IDC_COMBO_UART_DATABIT), wxChoice);
    m_comboChannel = wxDynamicCast(FindWindow(IDC_COMBO_CHANNEL), wxChoice);
    m_checkOutdoorFixed = wxDynamicCast(FindWindow(IDC_CHECK_OUTDOOR_FIXED), wxCheckBox);
}

int GeneralInfoPage::GetRadioIndex(int firstId, int count) const
{
    for (int i = 0; i < count; ++i)
    {
        auto* radio = wxDynamicCast(FindWindow(firstId + i), wxRadioButton);
        if (radio && radio->GetValue())
            return i;
    }
    return -1;
}

void GeneralInfoPage::SetRadioIndex(int firstId, int count, int index)
{
    if (index < 0 || index >= count)
        return;
    if (auto* radio = wxDynamicCast(FindWindow(firstId + index), wxRadioButton))
        radio->SetValue(true);
}

bool GeneralInfoPage::UpdateData(bool saveAndValidate)
{
    auto* groupEdit = wxDynamicCast(FindWindow(IDC_EDIT_GROUP_ID), wxTextCtrl);
    if (!saveAndValidate)
    {
        groupEdit->ChangeValue(wxString::Format("%u", m_groupId));
        SetRadioIndex(IDC_RADIO_MASTER, 2, m_roleIndex);
        SetRadioIndex(IDC_RADIO_AT_COMMAND, 2, m_transmitIndex);
        SetRadioIndex(IDC_RADIO_P2P, 2, m_peerIndex);
        SetRadioIndex(IDC_RADIO_RESPONSE_ON, 2, m_responseIndex);
        return true;
    }
    if (!ParseUnsigned(groupEdit->GetValue(), m_groupId))
        return false;
    m_roleIndex = GetRadioIndex(IDC_RADIO_MASTER, 2);
    m_transmitIndex = GetRadioIndex(IDC_RADIO_AT_COMMAND, 2);
    m_peerIndex = GetRadioIndex(IDC_RADIO_P2P, 2);
    m_responseIndex = GetRadioIndex(IDC_RADIO_RESPONSE_ON, 2);
    return true;
}

bool GeneralInfoPage::OnInitDialog()
{
    UpdateData(false);
    FillComboBox(m_comboBaudrate, kBaudrateRows, 9600);
    FillComboBox(m_comboParity, kParityRows, 0);
    FillComboBox(m_comboStopbit, kStopbitRows, 0);
    FillComboBox(m_comboDatabit, kDatabitRows, 8);
    m_values.net.phyId = 2;
    FillChannelList(2);
    m_responseIndex = 0;
    m_groupId = 1000;
    m_checkOutdoorFixed->SetValue(false);
    FindWindow(IDC_BUTTON_GENERAL_APPLY)->SetLabel(LoadString(IDS_APPLY));
    UpdateData(false);
    EnableControls(false);
    return true;
}

void GeneralInfoPage::FillChannelList(uint8_t phyId)
{
    m_comboChannel->Clear();
    unsigned first = 0;
    unsigned last = 0;
    unsigned preset = 99;
    if (phyId == 8)
    {
        first = 46;
        last = 51;
        preset = 46;
    }
    else if (phyId == 2 || phyId == 5)
    {
        first = 93;
        last = 105;
    }
    else if (phyId == 12 || phyId == 13)
    {
        first = 99;
        last = 105;
    }
    else
    {
        return;  // no channels known for this PHY ID
    }
    for (unsigned channel = first; channel <= last; ++channel)
    {
        const int index = AddComboItem(m_comboChannel, wxString::Format("%u", channel).wc_str(), channel);
        if (channel == preset)
            m_comboChannel->SetSelection(index);
    }
    FitComboWidth(m_comboChannel);
}

void GeneralInfoPage::SetSettings(const GeneralInfoValues& values)
{
    m_values = values;
    m_responseIndex = values.quietMode != 0 ? 1 : 0;
    const uint8_t phyId = values.net.phyId;
    m_checkOutdoorFixed->SetValue(phyId == 2 || phyId == 5 || phyId == 8);
    FillChannelList(phyId);
    SelectComboItemByValue(m_comboChannel, values.net.rfChannel);
    m_roleIndex = values.info.netRole == 1 ? 0 : 1;
    switch (values.info.opMode)
    {
    case 1:
        m_transmitIndex = 1;
        m_peerIndex = 0;
        break;
    case 2:
        m_transmitIndex = 0;
        m_peerIndex = 0;
        break;
    case 3:
        m_transmitIndex = 1;
        m_peerIndex = 1;
        break;
    default:
        m_transmitIndex = 0;
        m_peerIndex = 1;
        break;
    }
    SelectComboItemByValue(m_comboBaudrate, values.uart.baud);
    SelectComboItemByValue(m_comboParity, values.uart.parity);
    SelectComboItemByValue(m_comboStopbit, values.uart.stopBits);
    SelectComboItemByValue(m_comboDatabit, values.uart.dataBits);
    m_groupId = values.net.panId;
    UpdateData(false);
}

void GeneralInfoPage::OnBnClickedApply(wxCommandEvent&)
{
    wxWindow* mainWindow = GetAppMainWindow();
    if (!mainWindow || !GetHandle())
        return;
    // A group-ID text that is no number is refused like a group ID out of range.
    if (!UpdateData(true) || m_groupId == 0 || m_groupId >= 65534)
    {
        AfxMessageBox(LoadString(IDS_INVALID_PAN_ID), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_values.net.panId = static_cast<uint16_t>(m_groupId);
    m_values.net.phyId = m_checkOutdoorFixed->GetValue() ? 2 : 12;
    // A combo box without a selection keeps the value the record already holds.
    uint32_t value = 0;
    if (GetComboSelectedValue(m_comboChannel, value))
        m_values.net.rfChannel = static_cast<uint8_t>(value);
    m_values.info.netRole = m_roleIndex == 0 ? 1 : 2;
    m_values.info.opMode = OpModeOf(m_transmitIndex, m_peerIndex);
    m_values.quietMode = m_responseIndex == 1 ? 1 : 0;
    if (GetComboSelectedValue(m_comboBaudrate, value))
        m_values.uart.baud = value;
    if (GetComboSelectedValue(m_comboParity, value))
        m_values.uart.parity = static_cast<uint8_t>(value);
    if (GetComboSelectedValue(m_comboStopbit, value))
        m_values.uart.stopBits = static_cast<uint8_t>(value);
    if (GetComboSelectedValue(m_comboDatabit, value))
        m_values.uart.dataBits = static_cast<uint8_t>(value);
    EnableControls(false);
    PostAppMessage(mainWindow, WM_APP_APPLY_GENERAL, 0, 0);
}

void GeneralInfoPage::OnBnClickedRadio(wxCommandEvent&)
{
    // The radio indices follow the buttons at once; a group-ID text that does not parse
    // is reported by Apply, not by every click.
    UpdateData(true);
}

void GeneralInfoPage::OnBnClickedOk(wxCommandEvent&)
{
}

void GeneralInfoPage::EnableControls(bool enable)
{
    for (wxChoice* combo :
         {m_comboBaudrate, m_comboParity, m_comboStopbit, m_comboDatabit, m_comboChannel})
        combo->Enable(enable);
    for (int id : {IDC_EDIT_GROUP_ID, IDC_BUTTON_GENERAL_APPLY, IDC_RADIO_MASTER, IDC_RADIO_SLAVE,
                   IDC_RADIO_AT_COMMAND, IDC_RADIO_BYPASS, IDC_RADIO_P2P, IDC_RADIO_P2MP,
                   IDC_RADIO_RESPONSE_ON, IDC_RADIO_RESPONSE_OFF})
    {
        if (wxWindow* control = FindWindow(id))
            control->Enable(enable);
    }
}
