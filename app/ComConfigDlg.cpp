#include "app/ComConfigDlg.h"

#include <wx/button.h>
#include <wx/choice.h>

#include "app/AppProfile.h"
#include "app/DialogTemplate.h"
#include "app/FillComboBox.h"
#include "app/res/ResourceIds.h"
#include "app/res/StringTable.h"
#include "config/WideToAnsi.h"

namespace {

constexpr const wchar_t* kSection = L"Default Values";
// The first serial port of a PC, where Windows would say "COM1".
constexpr const wchar_t* kDefaultPortName = L"/dev/ttyS0";
constexpr const wchar_t* kPortName = L"Serial port name";
constexpr const wchar_t* kBaudrate = L"Serial port buadrate";  // spelt as stored
constexpr const wchar_t* kParity = L"Serial port parity";
constexpr const wchar_t* kStopbit = L"Serial port stopbit";
constexpr const wchar_t* kDatabit = L"Serial port databit";

// The PC's encoding of the line settings (the serial port's own options); the baud
// rates and data bits are the shared rows.
const ComboRow kParityRows[] = {{L"None", 0}, {L"Odd", 1}, {L"Even", 2}};
const ComboRow kStopbitRows[] = {{L"1", 0}, {L"2", 2}};  // no row for 1.5 stop bits


}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(ComConfigDlg, wxDialog)
    EVT_BUTTON(IDOK, ComConfigDlg::OnBnClickedOk)
    EVT_BUTTON(IDCANCEL, ComConfigDlg::OnBnClickedCancel)
    EVT_CHOICE(IDC_COMBO_PORT, ComConfigDlg::OnCbnSelchangeComboPort)
    EVT_CHOICE(IDC_COMBO_BAUDRATE, ComConfigDlg::OnCbnSelchangeComboBaudrate)
    EVT_CHOICE(IDC_COMBO_PARITY, ComConfigDlg::OnCbnSelchangeComboParity)
    EVT_CHOICE(IDC_COMBO_STOPBIT, ComConfigDlg::OnCbnSelchangeComboStopbit)
    EVT_CHOICE(IDC_COMBO_DATABIT, ComConfigDlg::OnCbnSelchangeComboDatabit)
    EVT_SIZE(ComConfigDlg::OnSize)
    // What the Windows dialog manager does before the controls see a key.
    EVT_CHAR_HOOK(ComConfigDlg::PreTranslateMessage)
wxEND_EVENT_TABLE()
// clang-format on

ComConfigDlg::ComConfigDlg()
{
    m_settings.portName = kDefaultPortName;
}

ComConfigDlg::~ComConfigDlg() = default;

bool ComConfigDlg::CreateFromTemplate(wxWindow* parent)
{
    if (GetHandle())
        return true;
    const DialogTemplate& tmpl = kDialogTemplate137;
    if (!Create(parent, wxID_ANY, wxString(tmpl.caption), wxDefaultPosition, wxDefaultSize,
                wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX))
        return false;
    BuildDialogTemplate(this, tmpl);
    // Escape and the close box press Cancel; Enter presses the default button.
    SetEscapeId(IDCANCEL);
    SetAffirmativeId(IDOK);
    DoDataExchange();
    return true;
}

void ComConfigDlg::DoDataExchange()
{
    m_comboPort = wxDynamicCast(FindWindow(IDC_COMBO_PORT), wxChoice);
    m_comboBaudrate = wxDynamicCast(FindWindow(IDC_COMBO_BAUDRATE), wxChoice);
    m_comboParity = wxDynamicCast(FindWindow(IDC_COMBO_PARITY), wxChoice);
    m_comboStopbit = wxDynamicCast(FindWindow(IDC_COMBO_STOPBIT), wxChoice);
    m_comboDatabit = wxDynamicCast(FindWindow(IDC_COMBO_DATABIT), wxChoice);
}

int ComConfigDlg::DoModal(wxWindow* parent)
{
    if (!CreateFromTemplate(parent))
        return IDCANCEL;
    OnInitDialog();
    CentreOnParent();
    return ShowModal();
}

bool ComConfigDlg::OnInitDialog()
{
    SetTitle(LoadString(IDS_COM_CONFIG_TITLE));
    InitComboBoxes();
    return true;
}

void ComConfigDlg::SetPortListRoots(const std::string& sysfsRoot, const std::string& devRoot)
{
    m_sysfsRoot = sysfsRoot;
    m_devRoot = devRoot;
}

void ComConfigDlg::InitComboBoxes()
{
    // The result code is not looked at: a machine without ports gives an empty list.
    m_portList.clear();
    EnumerateSerialPorts(m_portList, m_sysfsRoot, m_devRoot);

    m_comboPort->Clear();
    const wxString stored = AppProfile::GetProfileString(kSection, kPortName, kDefaultPortName);
    bool found = false;
    for (const SerialPortEntry& entry : m_portList)
    {
        const wxString name(AnsiToWide(entry.portName));  // names are in the locale's encoding
        const int index = m_comboPort->Append(name);  // sorted: the index is where it landed
        if (name == stored)
        {
            m_settings.portName = name.ToStdWstring();
            m_comboPort->SetSelection(index);
            found = true;
        }
    }
    if (!found && m_comboPort->GetCount() > 0)
        m_comboPort->SetSelection(0);
    FitComboWidth(m_comboPort);  // Linux names are longer than the "COM1" it was drawn for

    FillComboBox(m_comboBaudrate, kBaudrateRows,
                 AppProfile::GetProfileInt(kSection, kBaudrate, 9600));
    FillComboBox(m_comboParity, kParityRows, AppProfile::GetProfileInt(kSection, kParity, 0));
    FillComboBox(m_comboStopbit, kStopbitRows, AppProfile::GetProfileInt(kSection, kStopbit, 0));
    FillComboBox(m_comboDatabit, kDatabitRows, AppProfile::GetProfileInt(kSection, kDatabit, 8));
}

void ComConfigDlg::OnBnClickedOk(wxCommandEvent&)
{
    const int port = m_comboPort->GetSelection();
    if (port != wxNOT_FOUND)
    {
        const wxString text = m_comboPort->GetString(port);
        if (!text.empty())
            m_settings.portName = text.ToStdWstring();
    }
    // A combo box without a selection leaves its member as it was.
    uint32_t value = 0;
    if (GetComboSelectedValue(m_comboBaudrate, value))
        m_settings.baudRate = value;
    if (GetComboSelectedValue(m_comboParity, value))
        m_settings.parity = static_cast<uint8_t>(value);
    if (GetComboSelectedValue(m_comboStopbit, value))
        m_settings.stopBits = static_cast<uint8_t>(value);
    if (GetComboSelectedValue(m_comboDatabit, value))
        m_settings.dataBits = static_cast<uint8_t>(value);
    EndDialog(IDOK);
}

void ComConfigDlg::EndDialog(int result)
{
    SetReturnCode(result);
    if (IsModal())
        EndModal(result);
    else
        Hide();
}

void ComConfigDlg::OnBnClickedCancel(wxCommandEvent&)
{
    EndDialog(IDCANCEL);
}

void ComConfigDlg::OnCbnSelchangeComboPort(wxCommandEvent&)
{
    const int index = m_comboPort->GetSelection();
    if (index == wxNOT_FOUND)
        return;
    const wxString text = m_comboPort->GetString(index);
    if (!text.empty())
        AppProfile::WriteProfileString(kSection, kPortName, text);
}

void ComConfigDlg::WriteSelectedValue(const wxChoice* combo, const wchar_t* valueName)
{
    uint32_t value = 0;
    if (GetComboSelectedValue(combo, value))
        AppProfile::WriteProfileInt(kSection, valueName, static_cast<int>(value));
}

void ComConfigDlg::OnCbnSelchangeComboBaudrate(wxCommandEvent&)
{
    WriteSelectedValue(m_comboBaudrate, kBaudrate);
}

void ComConfigDlg::OnCbnSelchangeComboParity(wxCommandEvent&)
{
    WriteSelectedValue(m_comboParity, kParity);
}

void ComConfigDlg::OnCbnSelchangeComboStopbit(wxCommandEvent&)
{
    WriteSelectedValue(m_comboStopbit, kStopbit);
}

void ComConfigDlg::OnCbnSelchangeComboDatabit(wxCommandEvent&)
{
    WriteSelectedValue(m_comboDatabit, kDatabit);
}

void ComConfigDlg::OnSize(wxSizeEvent& event)
{
    // The dialog has no bars to lay out; the default processing is all there is.
    event.Skip();
}

void ComConfigDlg::PreTranslateMessage(wxKeyEvent& event)
{
    // Enter presses the default button, OK, from every control but another push button
    // (which Enter presses itself); GTK would open a focused drop list instead. An open
    // list has the keys to itself, so Enter there still chooses an item.
    const int key = event.GetKeyCode();
    const bool enter = (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !event.HasAnyModifiers();
    if (enter && !wxDynamicCast(event.GetEventObject(), wxButton))
    {
        wxCommandEvent ok(wxEVT_BUTTON, IDOK);
        ok.SetEventObject(FindWindow(IDOK));
        ProcessWindowEvent(ok);
        return;
    }
    event.Skip();
}
