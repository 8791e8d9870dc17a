#include "app/GeneralInfoPage.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include "app/res/ResourceIds.h"
#include "support/CaseName.h"
#include "support/GuiFixtures.h"

namespace {

class GeneralInfoPageTest : public GuiTest
{
protected:
    GeneralInfoPageTest() : m_frame(new wxFrame(nullptr, wxID_ANY, "host")), m_page(new GeneralInfoPage)
    {
        EXPECT_TRUE(m_page->Create(m_frame));
    }
    ~GeneralInfoPageTest() override { m_frame->Destroy(); }

    // What a device read hands over: P2PCMD, coordinator, PHY ID 2, channel 100, PAN 1234,
    // 115200 8N1 in the modem's encoding, answering commands.
    static GeneralInfoValues DeviceValues()
    {
        GeneralInfoValues v{};
        v.info.opMode = 2;
        v.info.netRole = 1;
        v.info.extAddress[0] = 0x11;
        v.info.modeFlag = 1;
        v.net.phyId = 2;
        v.net.rfChannel = 100;
        v.net.panId = 1234;
        v.net.bcFh = 1;
        v.uart.baud = 115200;
        v.uart.parity = 0;
        v.uart.stopBits = 0;
        v.uart.dataBits = 8;
        return v;
    }

    void ShowDevice(const GeneralInfoValues& values)
    {
        m_page->SetSettings(values);
        m_page->EnableControls(true);
    }

    void SetGroupIdText(const wxString& text)
    {
        wxDynamicCast(m_page->FindWindow(IDC_EDIT_GROUP_ID), wxTextCtrl)->ChangeValue(text);
    }

    std::vector<wxString> ChannelItems() const
    {
        std::vector<wxString> items;
        for (unsigned i = 0; i < m_page->m_comboChannel->GetCount(); ++i)
            items.push_back(m_page->m_comboChannel->GetString(i));
        return items;
    }

    // Presses Apply; returns the messages posted to the main window.
    size_t Apply()
    {
        ClickButton(m_page, IDC_BUTTON_GENERAL_APPLY);
        PumpEvents();
        return m_sink->Count(WM_APP_APPLY_GENERAL);
    }

    wxFrame* m_frame;
    GeneralInfoPage* m_page;
};

TEST_F(GeneralInfoPageTest, BeforeAnyReadThePageIsDisabledAndShowsItsDefaults)
{
    EXPECT_FALSE(m_page->m_comboBaudrate->IsEnabled());
    for (int id : {IDC_EDIT_GROUP_ID, IDC_BUTTON_GENERAL_APPLY, IDC_RADIO_MASTER, IDC_RADIO_P2MP,
                   IDC_RADIO_RESPONSE_OFF})
        EXPECT_FALSE(m_page->FindWindow(id)->IsEnabled()) << id;
    EXPECT_EQ(TextOf(m_page, IDC_COMBO_UART_BAUDRATE), "9600");
    EXPECT_EQ(TextOf(m_page, IDC_COMBO_UART_PARITY), "None");
    EXPECT_EQ(TextOf(m_page, IDC_COMBO_UART_STOPBIT), "1");
    EXPECT_EQ(TextOf(m_page, IDC_COMBO_UART_DATABIT), "8 bits");
    EXPECT_EQ(ChannelItems().size(), 13u);
    EXPECT_EQ(ChannelItems().front(), "93");
    EXPECT_EQ(ChannelItems().back(), "105");
    EXPECT_EQ(TextOf(m_page, IDC_COMBO_CHANNEL), "99");
    EXPECT_EQ(TextOf(m_page, IDC_EDIT_GROUP_ID), "1000");
    for (int id : {IDC_RADIO_MASTER, IDC_RADIO_AT_COMMAND, IDC_RADIO_P2P, IDC_RADIO_RESPONSE_ON})
        EXPECT_TRUE(wxDynamicCast(m_page->FindWindow(id), wxRadioButton)->GetValue()) << id;
    EXPECT_EQ(TextOf(m_page, IDC_BUTTON_GENERAL_APPLY), wxString(L"적 용"));
    EXPECT_FALSE(m_page->m_checkOutdoorFixed->IsShown());
    EXPECT_EQ(m_page->m_values.net.phyId, 2);
}

TEST_F(GeneralInfoPageTest, TheApplyButtonSpeaksTheRunningLanguage)
{
    ScopedLanguage english(StringTable::Language::English);
    auto* page = new GeneralInfoPage;
    ASSERT_TRUE(page->Create(m_frame));
    EXPECT_EQ(TextOf(page, IDC_BUTTON_GENERAL_APPLY), "Apply");
}

TEST_F(GeneralInfoPageTest, ApplyWritesTheRecordDisablesThePageAndPostsOnce)
{
    ShowDevice(DeviceValues());
    ClickRadio(m_page, IDC_RADIO_SLAVE);
    ClickRadio(m_page, IDC_RADIO_RESPONSE_OFF);
    ChooseItem(m_page, IDC_COMBO_UART_PARITY, 1);   // "Odd": 2 in the modem's encoding
    ChooseItem(m_page, IDC_COMBO_UART_STOPBIT, 1);  // "2": 1 in the modem's encoding
    ChooseItem(m_page, IDC_COMBO_CHANNEL, 0);       // 93
    SetGroupIdText("4321");
    EXPECT_EQ(Apply(), 1u);
    const GeneralInfoValues& v = m_page->m_values;
    EXPECT_EQ(v.net.panId, 4321);
    EXPECT_EQ(v.net.phyId, 2);
    EXPECT_EQ(v.net.rfChannel, 93);
    EXPECT_EQ(v.info.netRole, 2);
    EXPECT_EQ(v.info.opMode, 2);
    EXPECT_EQ(v.quietMode, 1);
    EXPECT_EQ(v.uart.baud, 115200u);
    EXPECT_EQ(v.uart.parity, 2);
    EXPECT_EQ(v.uart.stopBits, 1);
    EXPECT_EQ(v.uart.dataBits, 8);
    // What the page does not edit stays as the read left it.
    EXPECT_EQ(v.info.extAddress[0], 0x11);
    EXPECT_EQ(v.info.modeFlag, 1);
    EXPECT_EQ(v.net.bcFh, 1);
    EXPECT_FALSE(m_page->FindWindow(IDC_BUTTON_GENERAL_APPLY)->IsEnabled());
    EXPECT_EQ(m_sink->Messages()[0].wParam, 0u);
    EXPECT_EQ(m_sink->Messages()[0].lParam, 0);
}

struct OpModeCase
{
    int reported;
    int transmitIndex;
    int peerIndex;
    int written;
};

class GeneralInfoPageOpMode : public GeneralInfoPageTest,
                              public testing::WithParamInterface<OpModeCase>
{
};

TEST_P(GeneralInfoPageOpMode, SurvivesSetSettingsAndApply)
{
    const OpModeCase& c = GetParam();
    GeneralInfoValues values = DeviceValues();
    values.info.opMode = static_cast<uint8_t>(c.reported);
    ShowDevice(values);
    EXPECT_EQ(m_page->m_transmitIndex, c.transmitIndex);
    EXPECT_EQ(m_page->m_peerIndex, c.peerIndex);
    const int transmitId = c.transmitIndex == 0 ? IDC_RADIO_AT_COMMAND : IDC_RADIO_BYPASS;
    const int peerId = c.peerIndex == 0 ? IDC_RADIO_P2P : IDC_RADIO_P2MP;
    EXPECT_TRUE(wxDynamicCast(m_page->FindWindow(transmitId), wxRadioButton)->GetValue());
    EXPECT_TRUE(wxDynamicCast(m_page->FindWindow(peerId), wxRadioButton)->GetValue());
    ASSERT_EQ(Apply(), 1u);
    EXPECT_EQ(m_page->m_values.info.opMode, c.written);
}

INSTANTIATE_TEST_SUITE_P(Modes, GeneralInfoPageOpMode,
                         testing::Values(OpModeCase{1, 1, 0, 1}, OpModeCase{2, 0, 0, 2},
                                         OpModeCase{3, 1, 1, 3}, OpModeCase{4, 0, 1, 4},
                                         OpModeCase{0, 0, 1, 4}, OpModeCase{9, 0, 1, 4}),
                         [](const testing::TestParamInfo<OpModeCase>& info) {
                             return "Reported" + std::to_string(info.param.reported);
                         });

struct PhyCase
{
    const char* name;
    int phyId;
    int channel;
    bool checked;
    const char* first;  // first item of the channel list, "" for an empty list
    const char* shown;  // the selected channel, "" for none
    int writtenPhy;
    int writtenChannel;
};

class GeneralInfoPagePhy : public GeneralInfoPageTest, public testing::WithParamInterface<PhyCase>
{
};

TEST_P(GeneralInfoPagePhy, ChoosesTheChannelListAndWritesThePhyIdBack)
{
    const PhyCase& c = GetParam();
    GeneralInfoValues values = DeviceValues();
    values.net.phyId = static_cast<uint8_t>(c.phyId);
    values.net.rfChannel = static_cast<uint8_t>(c.channel);
    ShowDevice(values);
    EXPECT_EQ(m_page->m_checkOutdoorFixed->GetValue(), c.checked);
    const std::vector<wxString> items = ChannelItems();
    EXPECT_EQ(items.empty() ? wxString() : items.front(), c.first);
    EXPECT_EQ(TextOf(m_page, IDC_COMBO_CHANNEL), c.shown);
    ASSERT_EQ(Apply(), 1u);
    EXPECT_EQ(m_page->m_values.net.phyId, c.writtenPhy);
    EXPECT_EQ(m_page->m_values.net.rfChannel, c.writtenChannel);
}

INSTANTIATE_TEST_SUITE_P(
    PhyIds, GeneralInfoPagePhy,
    testing::Values(PhyCase{"Phy2", 2, 100, true, "93", "100", 2, 100},
                    PhyCase{"Phy5", 5, 93, true, "93", "93", 2, 93},
                    PhyCase{"Phy8", 8, 48, true, "46", "48", 2, 48},
                    PhyCase{"Phy8UnknownChannel", 8, 100, true, "46", "46", 2, 46},
                    PhyCase{"Phy12", 12, 105, false, "99", "105", 12, 105},
                    PhyCase{"Phy13", 13, 101, false, "99", "101", 12, 101},
                    PhyCase{"Phy2ChannelNotListed", 2, 120, true, "93", "99", 2, 99},
                    // No channel list is known: the channel the modem reported is kept
                    // rather than the 255 an empty selection would give.
                    PhyCase{"Phy1NoList", 1, 50, false, "", "", 12, 50}),
    CaseName());

struct GroupIdCase
{
    const char* name;
    const char* text;
    bool accepted;
};

class GeneralInfoPageGroupId : public GeneralInfoPageTest,
                               public testing::WithParamInterface<GroupIdCase>
{
};

TEST_P(GeneralInfoPageGroupId, AcceptsOneTo65533AndRefusesTheRestWithString118)
{
    const GroupIdCase& c = GetParam();
    ShowDevice(DeviceValues());
    SetGroupIdText(c.text);
    ShownMessageBox shown;
    size_t posted = 0;
    if (c.accepted)
    {
        posted = Apply();
        EXPECT_EQ(m_page->m_values.net.panId, std::stoul(c.text));
    }
    else
    {
        wxTEST_DIALOG(posted = Apply(), ExpectMessageBox(shown));
        EXPECT_EQ(shown.message, wxString(L"그룹 ID 설정값이 잘못되어 있습니다."));
        EXPECT_TRUE(shown.style & wxICON_WARNING);
        EXPECT_EQ(m_page->m_values.net.panId, 1234);  // the record is not written
        EXPECT_TRUE(m_page->FindWindow(IDC_BUTTON_GENERAL_APPLY)->IsEnabled());
        EXPECT_EQ(TextOf(m_page, IDC_EDIT_GROUP_ID), c.text);  // the input stays
    }
    EXPECT_EQ(posted, c.accepted ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, GeneralInfoPageGroupId,
    testing::Values(GroupIdCase{"One", "1", true}, GroupIdCase{"Max", "65533", true},
                    GroupIdCase{"Zero", "0", false}, GroupIdCase{"Above", "65534", false},
                    GroupIdCase{"AllOnes", "65535", false},
                    GroupIdCase{"Beyond32Bits", "99999999999", false},
                    GroupIdCase{"Empty", "", false}, GroupIdCase{"Blanks", " 12 ", true},
                    GroupIdCase{"TrailingLetters", "12abc", false},
                    GroupIdCase{"Signed", "+12", false}),
    CaseName());

TEST_F(GeneralInfoPageTest, AnOutOfRangePanIdFromTheModemIsShownAndMustBeChanged)
{
    GeneralInfoValues values = DeviceValues();
    values.net.panId = 65535;
    ShowDevice(values);
    EXPECT_EQ(TextOf(m_page, IDC_EDIT_GROUP_ID), "65535");
    ShownMessageBox shown;
    size_t posted = 0;
    wxTEST_DIALOG(posted = Apply(), ExpectMessageBox(shown));
    EXPECT_EQ(posted, 0u);
    ScopedLanguage english(StringTable::Language::English);
    wxTEST_DIALOG(Apply(), ExpectMessageBox(shown));
    EXPECT_EQ(shown.message, "Invalid PAN ID value");
}

TEST_F(GeneralInfoPageTest, QuietModeAndRoleAreShownAndWrittenBackNormalised)
{
    GeneralInfoValues values = DeviceValues();
    values.quietMode = 3;
    values.info.netRole = 7;
    ShowDevice(values);
    EXPECT_TRUE(wxDynamicCast(m_page->FindWindow(IDC_RADIO_RESPONSE_OFF), wxRadioButton)->GetValue());
    EXPECT_TRUE(wxDynamicCast(m_page->FindWindow(IDC_RADIO_SLAVE), wxRadioButton)->GetValue());
    ASSERT_EQ(Apply(), 1u);
    EXPECT_EQ(m_page->m_values.quietMode, 1);
    EXPECT_EQ(m_page->m_values.info.netRole, 2);
}

TEST_F(GeneralInfoPageTest, AReportedBaudRateNotInTheTableKeepsTheSelectionBefore)
{
    ShowDevice(DeviceValues());
    GeneralInfoValues values = DeviceValues();
    values.uart.baud = 12345;
    values.uart.dataBits = 5;
    ShowDevice(values);
    EXPECT_EQ(TextOf(m_page, IDC_COMBO_UART_BAUDRATE), "115200");
    EXPECT_EQ(TextOf(m_page, IDC_COMBO_UART_DATABIT), "8 bits");
}

TEST_F(GeneralInfoPageTest, EnableControlsNeverTouchesTheHiddenCheckBox)
{
    m_page->EnableControls(true);
    EXPECT_TRUE(m_page->m_comboChannel->IsEnabled());
    EXPECT_TRUE(m_page->FindWindow(IDC_RADIO_RESPONSE_OFF)->IsEnabled());
    EXPECT_FALSE(m_page->m_checkOutdoorFixed->IsEnabled());
    m_page->EnableControls(false);
    EXPECT_FALSE(m_page->FindWindow(IDC_EDIT_GROUP_ID)->IsEnabled());
}

TEST_F(GeneralInfoPageTest, ARadioClickUpdatesItsIndexAtOnce)
{
    m_page->EnableControls(true);
    ClickRadio(m_page, IDC_RADIO_BYPASS);
    EXPECT_EQ(m_page->m_transmitIndex, 1);
    ClickRadio(m_page, IDC_RADIO_P2MP);
    EXPECT_EQ(m_page->m_peerIndex, 1);
}

}  // namespace
