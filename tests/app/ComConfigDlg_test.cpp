#include "app/ComConfigDlg.h"

#include <initializer_list>
#include <tuple>

#include <wx/choice.h>

#include "app/AppProfile.h"
#include "app/res/ResourceIds.h"
#include "support/GuiFixtures.h"
#include "support/TempDir.h"

namespace {

class ComConfigDlgTest : public GuiTest
{
protected:
    ComConfigDlgTest() { m_dlg.SetPortListRoots(m_ports.Root(), "/dev"); }
    ~ComConfigDlgTest() override { m_dlg.Hide(); }

    // Ports the machine has: ttys with a driver behind them.
    void AddPorts(std::initializer_list<const char*> names) { m_ports.Add(names); }

    // Opens the dialog as DoModal would, without the modal loop.
    void Open()
    {
        ASSERT_TRUE(m_dlg.CreateFromTemplate());
        m_dlg.OnInitDialog();
    }

    std::vector<wxString> PortItems() const
    {
        std::vector<wxString> items;
        for (unsigned i = 0; i < m_dlg.m_comboPort->GetCount(); ++i)
            items.push_back(m_dlg.m_comboPort->GetString(i));
        return items;
    }

    TempSerialPorts m_ports;
    ComConfigDlg m_dlg;
};

TEST_F(ComConfigDlgTest, AFirstRunWithAnEmptyProfileSelectsTheDefaults)
{
    AddPorts({"ttyUSB0", "ttyS0"});
    Open();
    EXPECT_EQ(TextOf(&m_dlg, IDC_COMBO_PORT), "/dev/ttyS0");
    EXPECT_EQ(TextOf(&m_dlg, IDC_COMBO_BAUDRATE), "9600");
    EXPECT_EQ(TextOf(&m_dlg, IDC_COMBO_PARITY), "None");
    EXPECT_EQ(TextOf(&m_dlg, IDC_COMBO_STOPBIT), "1");
    EXPECT_EQ(TextOf(&m_dlg, IDC_COMBO_DATABIT), "8 bits");
    ClickButton(&m_dlg, IDOK);
    EXPECT_EQ(m_dlg.GetReturnCode(), IDOK);
    EXPECT_EQ(m_dlg.m_settings.portName, L"/dev/ttyS0");
    EXPECT_EQ(m_dlg.m_settings.baudRate, 9600u);
    EXPECT_EQ(m_dlg.m_settings.dataBits, 8);
    EXPECT_EQ(m_dlg.m_settings.parity, 0);
    EXPECT_EQ(m_dlg.m_settings.stopBits, 0);
    // Nothing was chosen, so nothing was written.
    EXPECT_EQ(m_profile.Contents(), "");
}

TEST_F(ComConfigDlgTest, PortsAreListedInStringOrderAndTheFirstIsTakenWhenTheStoredOneIsMissing)
{
    AddPorts({"COM3", "COM10"});
    Open();
    EXPECT_EQ(PortItems(), (std::vector<wxString>{"/dev/COM10", "/dev/COM3"}));
    EXPECT_EQ(m_dlg.m_comboPort->GetSelection(), 0);
    ClickButton(&m_dlg, IDOK);
    EXPECT_EQ(m_dlg.m_settings.portName, L"/dev/COM10");
}

TEST_F(ComConfigDlgTest, TheStoredPortNameMatchesCaseSensitively)
{
    AddPorts({"COM3", "COM10"});
    AppProfile::WriteProfileString("Default Values", "Serial port name", "/dev/com3");
    Open();
    EXPECT_EQ(TextOf(&m_dlg, IDC_COMBO_PORT), "/dev/COM10");

    AppProfile::WriteProfileString("Default Values", "Serial port name", "/dev/COM3");
    m_dlg.OnInitDialog();
    EXPECT_EQ(TextOf(&m_dlg, IDC_COMBO_PORT), "/dev/COM3");
    // The matching name is taken at once, even without OK.
    EXPECT_EQ(m_dlg.m_settings.portName, L"/dev/COM3");
}

TEST_F(ComConfigDlgTest, AChoiceIsStoredAtOnceEvenWhenTheDialogIsCancelled)
{
    AddPorts({"ttyS0", "ttyUSB0"});
    Open();
    ChooseItem(&m_dlg, IDC_COMBO_PARITY, 2);  // "Even"
    ChooseItem(&m_dlg, IDC_COMBO_PORT, 1);    // "/dev/ttyUSB0"
    ClickButton(&m_dlg, IDCANCEL);
    EXPECT_EQ(m_dlg.GetReturnCode(), IDCANCEL);
    EXPECT_EQ(AppProfile::GetProfileInt("Default Values", "Serial port parity", -1), 2);
    EXPECT_EQ(AppProfile::GetProfileString("Default Values", "Serial port name", ""), "/dev/ttyUSB0");
    EXPECT_EQ(m_dlg.m_settings.parity, 0);  // Cancel takes nothing over

    m_dlg.OnInitDialog();
    EXPECT_EQ(TextOf(&m_dlg, IDC_COMBO_PARITY), "Even");
    EXPECT_EQ(TextOf(&m_dlg, IDC_COMBO_PORT), "/dev/ttyUSB0");
}

TEST_F(ComConfigDlgTest, EachLineSettingIsStoredInThePcsEncodingUnderItsName)
{
    Open();
    ChooseItem(&m_dlg, IDC_COMBO_STOPBIT, 1);  // "2"
    ChooseItem(&m_dlg, IDC_COMBO_BAUDRATE, 13);
    ChooseItem(&m_dlg, IDC_COMBO_DATABIT, 0);
    EXPECT_EQ(AppProfile::GetProfileInt("Default Values", "Serial port stopbit", -1), 2);
    EXPECT_EQ(AppProfile::GetProfileInt("Default Values", "Serial port buadrate", -1), 921600);
    EXPECT_EQ(AppProfile::GetProfileInt("Default Values", "Serial port databit", -1), 7);
    ClickButton(&m_dlg, IDOK);
    EXPECT_EQ(m_dlg.m_settings.stopBits, 2);
    EXPECT_EQ(m_dlg.m_settings.baudRate, 921600u);
    EXPECT_EQ(m_dlg.m_settings.dataBits, 7);
}

TEST_F(ComConfigDlgTest, AStoredValueNoRowHasLeavesNoSelectionAndOkKeepsThePreviousValue)
{
    Open();
    ChooseItem(&m_dlg, IDC_COMBO_STOPBIT, 1);
    ClickButton(&m_dlg, IDOK);
    ASSERT_EQ(m_dlg.m_settings.stopBits, 2);

    AppProfile::WriteProfileInt("Default Values", "Serial port stopbit", 1);  // 1.5: no row
    AppProfile::WriteProfileInt("Default Values", "Serial port buadrate", 12345);
    m_dlg.OnInitDialog();
    EXPECT_EQ(m_dlg.m_comboStopbit->GetSelection(), wxNOT_FOUND);
    EXPECT_EQ(m_dlg.m_comboBaudrate->GetSelection(), wxNOT_FOUND);
    ClickButton(&m_dlg, IDOK);
    EXPECT_EQ(m_dlg.m_settings.stopBits, 2);
    EXPECT_EQ(m_dlg.m_settings.baudRate, 9600u);
    EXPECT_EQ(AppProfile::GetProfileInt("Default Values", "Serial port stopbit", -1), 1);
}

TEST_F(ComConfigDlgTest, OkWithoutAnyPortEndsTheModalRunAndKeepsThePortName)
{
    int result = 0;
    m_dlg.CallAfter([this] { ClickButton(&m_dlg, IDOK); });
    result = m_dlg.DoModal();
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(m_dlg.m_comboPort->GetCount(), 0u);
    EXPECT_EQ(m_dlg.m_settings.portName, L"/dev/ttyS0");
}

TEST_F(ComConfigDlgTest, TheTitleComesFromTheStringTableOfTheRunningLanguage)
{
    Open();
    EXPECT_EQ(m_dlg.GetTitle(), wxString(L"Q310 접속 설정"));
    ScopedLanguage english(StringTable::Language::English);
    m_dlg.OnInitDialog();
    EXPECT_EQ(m_dlg.GetTitle(), "Configuring parameters for communication with device");
}


// A key in the dialog: which control has the focus, the key, and what it must do.
struct KeyCase
{
    int control;
    int key;
    int modifiers;
    bool endsWithOk;  // otherwise the key goes on to the control and the dialog stays open
};

class ComConfigDlgKeys : public ComConfigDlgTest,
                         public testing::WithParamInterface<std::tuple<KeyCase, bool>>
{
};

TEST_P(ComConfigDlgKeys, EnterPressesOkFromEveryListWhileArrowsAndAltDownStayWithTheList)
{
    const auto& [row, reopened] = GetParam();
    AddPorts({"ttyS0", "ttyUSB0"});
    if (reopened)  // as after a restart of the modem: the first run ended with OK
    {
        m_dlg.CallAfter([this] { ClickButton(&m_dlg, IDOK); });
        ASSERT_EQ(m_dlg.DoModal(), IDOK);
    }
    bool handled = false;
    bool stayedOpen = false;
    m_dlg.CallAfter([&] {
        // As GTK hands a key to the dialog, from the control with the focus.
        wxWindow* control = m_dlg.FindWindow(row.control);
        wxKeyEvent key(wxEVT_CHAR_HOOK);
        key.m_keyCode = row.key;
        key.m_altDown = (row.modifiers & wxMOD_ALT) != 0;
        key.SetEventObject(control);
        handled = control->ProcessWindowEvent(key);
        stayedOpen = m_dlg.IsModal();
        if (stayedOpen)
            ClickButton(&m_dlg, IDCANCEL);
    });
    const int result = m_dlg.DoModal();
    EXPECT_EQ(result, row.endsWithOk ? IDOK : IDCANCEL);
    EXPECT_EQ(handled, row.endsWithOk);
    EXPECT_EQ(stayedOpen, !row.endsWithOk);
}

INSTANTIATE_TEST_SUITE_P(
    Openings, ComConfigDlgKeys,
    testing::Combine(testing::Values(KeyCase{IDC_COMBO_PORT, WXK_RETURN, wxMOD_NONE, true},
                                     KeyCase{IDC_COMBO_BAUDRATE, WXK_RETURN, wxMOD_NONE, true},
                                     KeyCase{IDC_COMBO_PARITY, WXK_NUMPAD_ENTER, wxMOD_NONE, true},
                                     KeyCase{IDC_COMBO_STOPBIT, WXK_RETURN, wxMOD_NONE, true},
                                     KeyCase{IDC_COMBO_DATABIT, WXK_RETURN, wxMOD_NONE, true},
                                     KeyCase{IDC_COMBO_PORT, WXK_DOWN, wxMOD_NONE, false},
                                     KeyCase{IDC_COMBO_BAUDRATE, WXK_UP, wxMOD_NONE, false},
                                     KeyCase{IDC_COMBO_PORT, WXK_DOWN, wxMOD_ALT, false}),
                     testing::Bool()));

}  // namespace
