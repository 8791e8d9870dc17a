#include "app/GpioConfigPage.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/textctrl.h>

#include "app/res/ResourceIds.h"
#include "support/CaseName.h"
#include "support/GuiFixtures.h"

namespace {

std::vector<wxString> Items(const wxChoice* combo)
{
    std::vector<wxString> items;
    for (unsigned i = 0; i < combo->GetCount(); ++i)
        items.push_back(combo->GetString(i));
    return items;
}

class GpioConfigPageTest : public GuiTest
{
protected:
    GpioConfigPageTest() : m_frame(new wxFrame(nullptr, wxID_ANY, "host")), m_page(new GpioConfigPage)
    {
        EXPECT_TRUE(m_page->Create(m_frame));
    }
    ~GpioConfigPageTest() override { m_frame->Destroy(); }

    // What the main dialog does after a device read.
    void ShowDevice(const GpioSettings& settings)
    {
        m_page->m_settings = settings;
        m_page->m_editPeriod->ChangeValue(wxString::Format("%u", settings.report.reportInterval));
        m_page->m_checkSendRemote->SetValue(settings.report.sendRemote != 0);
        m_page->ShowSettings();
        m_page->EnableControls(true);
    }

    size_t Apply()
    {
        ClickButton(m_page, IDC_BUTTON_GPIO_APPLY);
        PumpEvents();
        return m_sink->Count(WM_APP_APPLY_GPIO);
    }

    int ModeId(int gpio) const { return IDC_COMBO_GPIO_MODE0 + 2 * gpio; }
    int ConfigId(int gpio) const { return IDC_COMBO_GPIO_CONFIG0 + 2 * gpio; }

    wxFrame* m_frame;
    GpioConfigPage* m_page;
};

TEST_F(GpioConfigPageTest, StartsDisabledWithEveryRowInputNoPull)
{
    ASSERT_EQ(m_page->m_ioModeCombos.size(), 13u);
    ASSERT_EQ(m_page->m_configCombos.size(), 13u);
    for (int i = 0; i < 13; ++i)
    {
        EXPECT_EQ(m_page->m_ioModeCombos[i]->GetId(), ModeId(i));
        EXPECT_EQ(m_page->m_configCombos[i]->GetId(), ConfigId(i));
        EXPECT_EQ(TextOf(m_page, ModeId(i)), "Input") << i;
        EXPECT_EQ(Items(m_page->m_configCombos[i]),
                  (std::vector<wxString>{"No Pull", "Pull Up", "Pull Down"}));
        EXPECT_EQ(TextOf(m_page, ConfigId(i)), "No Pull");
        EXPECT_FALSE(m_page->m_ioModeCombos[i]->IsEnabled());
    }
    EXPECT_EQ(m_page->m_editPeriod->GetValue(), "0");
    EXPECT_FALSE(m_page->m_editPeriod->IsEnabled());
    EXPECT_FALSE(m_page->m_checkSendRemote->GetValue());
    EXPECT_FALSE(m_page->m_checkSendRemote->IsEnabled());
    EXPECT_FALSE(m_page->FindWindow(IDC_BUTTON_GPIO_APPLY)->IsEnabled());
    EXPECT_EQ(TextOf(m_page, IDC_BUTTON_GPIO_APPLY), wxString(L"적 용"));
}

class GpioConfigPageRows : public GpioConfigPageTest, public testing::WithParamInterface<int>
{
};

// The third I/O mode of each GPIO (its alternate function) and the configurations it offers.
const wchar_t* const kAltNames[13] = {nullptr,  nullptr,  L"Status LED", L"AIO 0",     L"AIO 1",
                                      L"AIO 2", L"AIO 3", nullptr,       L"UART CTS", L"UART RTS",
                                      nullptr,  nullptr,  nullptr};

TEST_P(GpioConfigPageRows, OfferTheirAlternateFunctionAndItsConfigurations)
{
    const int gpio = GetParam();
    std::vector<wxString> expected{"Input", "Output"};
    if (kAltNames[gpio])
        expected.emplace_back(kAltNames[gpio]);
    EXPECT_EQ(Items(m_page->m_ioModeCombos[gpio]), expected);
    EXPECT_EQ(GpioConfigPage::HasAltFunction(static_cast<uint8_t>(gpio)), kAltNames[gpio] != nullptr);

    m_page->EnableControls(true);
    ChooseItem(m_page, ModeId(gpio), 1);
    EXPECT_EQ(Items(m_page->m_configCombos[gpio]), (std::vector<wxString>{"Low", "High"}));
    EXPECT_EQ(TextOf(m_page, ConfigId(gpio)), "Low");
    if (kAltNames[gpio])
    {
        ChooseItem(m_page, ModeId(gpio), 2);
        const std::vector<wxString> alt = gpio == 2
                                              ? std::vector<wxString>{"Push Pull", "Inv Push Pull"}
                                              : std::vector<wxString>{"None"};
        EXPECT_EQ(Items(m_page->m_configCombos[gpio]), alt);
        EXPECT_EQ(m_page->m_configCombos[gpio]->GetSelection(), 0);
    }
    ChooseItem(m_page, ModeId(gpio), 0);
    EXPECT_EQ(TextOf(m_page, ConfigId(gpio)), "No Pull");
}

INSTANTIATE_TEST_SUITE_P(Gpios, GpioConfigPageRows, testing::Range(0, 13),
                         [](const testing::TestParamInfo<int>& info) {
                             return "Gpio" + std::to_string(info.param);
                         });

TEST_F(GpioConfigPageTest, ShowSettingsSelectsEachRowsModeAndConfiguration)
{
    GpioSettings settings{};
    settings.gpio[2] = {2, 2, 1};   // Status LED, inverted
    settings.gpio[4] = {4, 2, 0};   // AIO 1
    settings.gpio[7] = {7, 1, 1};   // output high
    settings.gpio[12] = {12, 0, 2}; // pull down
    settings.report = {5000, 1, {}};
    ShowDevice(settings);
    EXPECT_EQ(TextOf(m_page, ModeId(2)), "Status LED");
    EXPECT_EQ(TextOf(m_page, ConfigId(2)), "Inv Push Pull");
    EXPECT_EQ(TextOf(m_page, ModeId(4)), "AIO 1");
    EXPECT_EQ(TextOf(m_page, ConfigId(4)), "None");
    EXPECT_EQ(TextOf(m_page, ModeId(7)), "Output");
    EXPECT_EQ(TextOf(m_page, ConfigId(7)), "High");
    EXPECT_EQ(TextOf(m_page, ConfigId(12)), "Pull Down");
    // The report controls belong to the main dialog's part of the read.
    EXPECT_EQ(m_page->m_editPeriod->GetValue(), "5000");
}

TEST_F(GpioConfigPageTest, AnAlternateModeOnAGpioWithoutOneKeepsTheModeAndOffersNone)
{
    GpioSettings settings{};
    settings.gpio[0] = {0, 1, 0};
    ShowDevice(settings);
    settings.gpio[0] = {0, 2, 0};
    ShowDevice(settings);
    EXPECT_EQ(TextOf(m_page, ModeId(0)), "Output");
    EXPECT_EQ(Items(m_page->m_configCombos[0]), (std::vector<wxString>{"None"}));
}

TEST_F(GpioConfigPageTest, AConfigurationNotInTheListLeavesNoSelectionAndApplyKeepsTheRecordsValue)
{
    GpioSettings settings{};
    settings.gpio[5] = {5, 1, 7};  // output, configuration 7: no such row
    ShowDevice(settings);
    EXPECT_EQ(m_page->m_configCombos[5]->GetSelection(), wxNOT_FOUND);
    ASSERT_EQ(Apply(), 1u);
    // Not the 255 that an empty selection's error value would give.
    EXPECT_EQ(m_page->m_settings.gpio[5].ioMode, 1);
    EXPECT_EQ(m_page->m_settings.gpio[5].config, 7);
}

TEST_F(GpioConfigPageTest, ApplyWritesEveryRowInOrderWithItsOwnNumber)
{
    GpioSettings settings{};
    for (int i = 0; i < 13; ++i)
        settings.gpio[i] = {static_cast<uint8_t>(40 + i), 0, 1};  // gpio members as garbage
    settings.report = {1000, 0, {}};
    ShowDevice(settings);
    ChooseItem(m_page, ModeId(9), 2);  // UART RTS
    m_page->m_checkSendRemote->SetValue(true);
    ASSERT_EQ(Apply(), 1u);
    for (int i = 0; i < 13; ++i)
    {
        EXPECT_EQ(m_page->m_settings.gpio[i].gpio, i);
        EXPECT_EQ(m_page->m_settings.gpio[i].ioMode, i == 9 ? 2 : 0);
        EXPECT_EQ(m_page->m_settings.gpio[i].config, i == 9 ? 0 : 1);
    }
    EXPECT_EQ(m_page->m_settings.report.reportInterval, 1000u);
    EXPECT_EQ(m_page->m_settings.report.sendRemote, 1);
    EXPECT_FALSE(m_page->FindWindow(IDC_BUTTON_GPIO_APPLY)->IsEnabled());  // until the result
}

struct IntervalCase
{
    const char* name;
    const char* text;
    bool accepted;
    uint32_t written;
};

class GpioConfigPageInterval : public GpioConfigPageTest,
                               public testing::WithParamInterface<IntervalCase>
{
};

TEST_P(GpioConfigPageInterval, RefusesOneTo999WithString119)
{
    const IntervalCase& c = GetParam();
    GpioSettings settings{};
    settings.report = {4242, 0, {}};
    ShowDevice(settings);
    m_page->m_editPeriod->ChangeValue(c.text);
    ShownMessageBox shown;
    size_t posted = 0;
    if (c.accepted)
    {
        posted = Apply();
        EXPECT_EQ(m_page->m_settings.report.reportInterval, c.written);
    }
    else
    {
        wxTEST_DIALOG(posted = Apply(), ExpectMessageBox(shown));
        EXPECT_EQ(shown.message, wxString(L"GPIO 알림 간격 설정이 잘못  설정되어 있습니다."));
        EXPECT_TRUE(shown.style & wxICON_ERROR);
        EXPECT_EQ(m_page->m_settings.report.reportInterval, 4242u);
        EXPECT_TRUE(m_page->m_editPeriod->IsEnabled());
        EXPECT_EQ(m_page->m_editPeriod->GetValue(), c.text);
    }
    EXPECT_EQ(posted, c.accepted ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, GpioConfigPageInterval,
    testing::Values(IntervalCase{"Zero", "0", true, 0}, IntervalCase{"Empty", "", true, 0},
                    IntervalCase{"Thousand", "1000", true, 1000},
                    IntervalCase{"Large", "3600000", true, 3600000},
                    IntervalCase{"One", "1", false, 0}, IntervalCase{"Max", "999", false, 0}),
    CaseName());

TEST_F(GpioConfigPageTest, TheIntervalMessageSpeaksEnglishInTheEnglishTable)
{
    ScopedLanguage english(StringTable::Language::English);
    m_page->EnableControls(true);
    m_page->m_editPeriod->ChangeValue("5");
    ShownMessageBox shown;
    wxTEST_DIALOG(Apply(), ExpectMessageBox(shown));
    EXPECT_EQ(shown.message, "Invalid GPIO  report interval is set");
}

TEST_F(GpioConfigPageTest, ARowNumberOutsideTheTableIsIgnored)
{
    m_page->OnIoModeChanged(13);
    m_page->OnIoModeChanged(-1);
    EXPECT_EQ(GpioConfigPage::GetAltFunctionName(13), nullptr);
}

}  // namespace
