// The whole program as a user meets it: the real main dialog under the test display,
// connected through its COM settings dialog to a simulated modem on a pseudo-terminal.
// The tests read the device, edit and apply both pages, save and load files, restart and
// reset the modem, and meet the faults of a real line (refusals, silence, garbage, a
// modem that hangs up), checking the lines the modem received, the controls and the
// message boxes.

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/notebook.h>
#include <wx/filedlg.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include "app/CLumvexQ310DConfiguratorDlg.h"
#include "app/DialogMenuBar.h"
#include "app/GeneralInfoPage.h"
#include "app/GpioConfigPage.h"
#include "app/WaitCursor.h"
#include "app/res/ResourceIds.h"
#include "config/ConfigFile.h"
#include "config/WideToAnsi.h"
#include "support/CaseName.h"
#include "support/GuiFixtures.h"
#include "support/GuiMainDialogRig.h"
#include "support/SimulatedModem.h"
#include "support/TempDir.h"
#include "support/Watchdog.h"

namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;
using Result = std::pair<int, int>;

const wchar_t kCommProblem[] = L"COM 포트에 문제가 발생했습니다.";

// --- Texts and conversions (no line needed) ---

struct ConnectionCase
{
    SerialPortSettings settings;
    const wchar_t* text;
};

class ConnectionTextTest : public testing::TestWithParam<ConnectionCase>
{
};

TEST_P(ConnectionTextTest, NamesThePortAndEachLineSetting)
{
    EXPECT_EQ(CLumvexQ310DConfiguratorDlg::FormatConnectionText(GetParam().settings), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ConnectionTextTest,
    testing::Values(ConnectionCase{{L"COM3", 115200, 8, 0, 0}, L"COM3, 115200, No parity, 1 stopbit, 8bit"},
                    ConnectionCase{{L"/dev/ttyUSB0", 9600, 7, 1, 2}, L"/dev/ttyUSB0, 9600, Odd parity, 2 stopbit, 7bit"},
                    ConnectionCase{{L"/dev/ttyS1", 38400, 8, 2, 1}, L"/dev/ttyS1, 38400, Even parity, 1.5 stopbit, 8bit"},
                    ConnectionCase{{L"/dev/ttyS1", 1200, 5, 3, 3}, L"/dev/ttyS1, 1200, , , "}));

struct LineSettingsCase
{
    uint8_t pcParity, pcStopBits, pcDataBits;
    uint8_t parity, stopBits, dataBits;
};

class ModemLineSettingsTest : public testing::TestWithParam<LineSettingsCase>
{
};

TEST_P(ModemLineSettingsTest, PcSettingsBecomeTheModemsEncoding)
{
    const LineSettingsCase& c = GetParam();
    DeviceInfo device{};
    device.info.opMode = 3;
    device.net.panId = 77;
    device.quietMode = 1;
    SerialPortSettings pc;
    pc.baudRate = 9600;
    pc.parity = c.pcParity;
    pc.stopBits = c.pcStopBits;
    pc.dataBits = c.pcDataBits;
    const GeneralInfoValues values = CLumvexQ310DConfiguratorDlg::BuildGeneralValues(device, pc);
    EXPECT_EQ(values.uart.baud, 9600u);
    EXPECT_EQ(values.uart.parity, c.parity);
    EXPECT_EQ(values.uart.stopBits, c.stopBits);
    EXPECT_EQ(values.uart.dataBits, c.dataBits);
    EXPECT_EQ(values.uart.pad, 0);
    EXPECT_EQ(values.info.opMode, 3);
    EXPECT_EQ(values.net.panId, 77);
    EXPECT_EQ(values.quietMode, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, ModemLineSettingsTest,
                         testing::Values(LineSettingsCase{1, 2, 7, 2, 1, 7}, LineSettingsCase{2, 0, 8, 1, 0, 8},
                                         LineSettingsCase{0, 1, 5, 0, 0, 8}, LineSettingsCase{3, 0, 8, 0, 0, 8}));

TEST(MainDialogTexts, AddressIsShownMostSignificantByteFirst)
{
    InfoData info{};
    for (uint8_t i = 0; i < 8; ++i)
        info.extAddress[i] = i + 1;
    EXPECT_EQ(CLumvexQ310DConfiguratorDlg::FormatExtAddress(info), "08:07:06:05:04:03:02:01");
}

TEST(MainDialogTexts, StateTextAddsSettingModeWhenTheModeFlagIsZero)
{
    InfoData info{};
    info.state = 0;
    info.modeFlag = 1;
    EXPECT_EQ(CLumvexQ310DConfiguratorDlg::FormatStateText(info), L"ACTIVE");
    info.state = 1;
    info.modeFlag = 0;
    EXPECT_EQ(CLumvexQ310DConfiguratorDlg::FormatStateText(info), L"INACTIVE, 설정 모드");
    info.state = 7;
    info.modeFlag = 9;
    EXPECT_EQ(CLumvexQ310DConfiguratorDlg::FormatStateText(info), L"INACTIVE");
}

TEST(MainDialogTexts, FileFilterTrimsThePatternsAndAllFilesMatchesEveryName)
{
    EXPECT_EQ(CLumvexQ310DConfiguratorDlg::FileDialogFilter(
                  L"Config File (*.json) | *.json |All Files(*.*) |*.*||"),
              L"Config File (*.json) |*.json|All Files(*.*) |*");
    EXPECT_EQ(CLumvexQ310DConfiguratorDlg::FileDialogFilter(L"설정 파일(*.json) | *.json |모든파일(*.*) |*.*||"),
              L"설정 파일(*.json) |*.json|모든파일(*.*) |*");
}

// --- The connected dialog ---

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class MainDialogEndToEnd : public testing::Test
{
protected:
    // Shows the dialog, connects through the start-up COM settings dialog and waits for
    // the device read.
    Result Connect(const std::string& port = {})
    {
        m_rig.Show(port.empty() ? m_modem.SlavePath() : port);
        if (!m_rig.WaitForResults(1))
            return {-1, -1};
        return m_rig.results[0];
    }

    void ConnectAndForget()
    {
        ASSERT_EQ(Connect(), Result(3, 0));
        m_modem.ClearCommands();
        m_rig.answers.messageBoxes.clear();
    }

    CLumvexQ310DConfiguratorDlg* Dlg() const { return m_rig.dlg; }
    wxWindow* Control(int id) const { return Dlg()->FindWindow(id); }
    std::string TempPath(const std::string& name) const { return (m_dir / name).string(); }

    // Whether the port-dependent controls, both pages and the file commands are usable.
    void ExpectControlsEnabled(bool enabled)
    {
        for (int id : {IDC_BUTTON_RESTART, IDC_BUTTON_FACTORY_RESET, IDC_EDIT_EXT_ADDRESS, IDC_EDIT_FIRMWARE_VERSION})
            EXPECT_EQ(Control(id)->IsEnabled(), enabled) << id;
        EXPECT_EQ(Dlg()->m_generalPage->FindWindow(IDC_BUTTON_GENERAL_APPLY)->IsEnabled(), enabled);
        EXPECT_EQ(Dlg()->m_gpioPage->FindWindow(IDC_BUTTON_GPIO_APPLY)->IsEnabled(), enabled);
        for (int id : {ID_LOAD_CONFIG_FILE, ID_SAVE_CONFIG_FILE})
        {
            EXPECT_EQ(Dlg()->m_menuBar->IsEnabled(id), enabled) << id;
            EXPECT_EQ(Dlg()->m_toolBar->GetToolEnabled(id), enabled) << id;
        }
        EXPECT_TRUE(Dlg()->m_menuBar->IsEnabled(ID_SERIAL_PORT_CONFIG));
    }

    // The closed state after a failure: no port, no worker, nothing pending, only 32772.
    void ExpectClosed()
    {
        EXPECT_FALSE(Dlg()->IsPortOpen());
        EXPECT_FALSE(Dlg()->m_worker.joinable());
        EXPECT_FALSE(Dlg()->m_busy);
        EXPECT_EQ(WaitCursor::Count(), 0);
        EXPECT_EQ(Dlg()->m_statusBar->GetStatusText(0), L"COM 포트 닫힘");
        EXPECT_EQ(Dlg()->m_addressEdit->GetValue(), "");
        EXPECT_EQ(Dlg()->m_firmwareEdit->GetValue(), "");
        EXPECT_EQ(Dlg()->m_statusText->GetLabel(), "");
        ExpectControlsEnabled(false);
    }

    size_t CountMessages(const wxString& text) const
    {
        size_t n = 0;
        for (const wxString& shown : m_rig.answers.Messages())
            n += shown == text;
        return n;
    }

    Watchdog m_watchdog{60s, "main dialog end-to-end test"};
    TempProfile m_profile;
    ScopedLanguage m_language{StringTable::Language::Korean};
    TempDir m_dir{"q310-e2e"};
    SimulatedModem m_modem;
    MainDialogRig m_rig;  // after the modem: the dialog closes its port before the modem stops
};

TEST_F(MainDialogEndToEnd, ConnectingReadsTheDeviceAndFillsEveryControl)
{
    SimulatedModem::State state = SimulatedModem::FactoryState();
    state.net = {2, 11, 4660, 0, 0};
    state.gpio[3] = {3, 1, 1};
    state.gpio[2] = {2, 2, 1};
    state.report = {0, 1, {0, 0, 0}};
    m_modem.SetState(state);

    ASSERT_EQ(Connect(), Result(3, 0));
    EXPECT_EQ(m_modem.Commands(), (Lines{"AT\r", "AT+QM?\r", "AT+INFO?\r", "AT+NETINFO?\r", "AT+GPIOC?\r",
                                         "AT+GPIOP?\r", "AT+VER?\r"}));
    EXPECT_EQ(Dlg()->m_statusBar->GetStatusText(0),
              wxString(m_modem.SlavePath()) + ", 115200, No parity, 1 stopbit, 8bit");
    EXPECT_EQ(Dlg()->m_addressEdit->GetValue(), "00:12:4B:00:01:02:03:04");
    EXPECT_EQ(Dlg()->m_firmwareEdit->GetValue(), "Q310D V1.0.3");
    EXPECT_EQ(Dlg()->m_statusText->GetLabel(), L"INACTIVE, 설정 모드");

    // The general page shows the device and the PC's line settings in the modem's encoding.
    GeneralInfoPage* general = Dlg()->m_generalPage;
    EXPECT_EQ(TextOf(general, IDC_EDIT_GROUP_ID), "4660");
    EXPECT_EQ(general->m_values.uart.baud, 115200u);
    EXPECT_EQ(TextOf(general, IDC_COMBO_UART_BAUDRATE), "115200");
    EXPECT_EQ(general->m_values.net.rfChannel, 11);
    EXPECT_EQ(general->m_values.info.opMode, 1);

    // The GPIO page: rows, interval, send-to-remote.
    GpioConfigPage* gpio = Dlg()->m_gpioPage;
    EXPECT_EQ(TextOf(gpio, IDC_COMBO_GPIO_MODE0 + 6), "Output");
    EXPECT_EQ(TextOf(gpio, IDC_COMBO_GPIO_CONFIG0 + 6), "High");
    EXPECT_EQ(TextOf(gpio, IDC_COMBO_GPIO_CONFIG0 + 4), "Inv Push Pull");
    EXPECT_EQ(TextOf(gpio, IDC_EDIT_REPORT_PERIOD), "0");
    EXPECT_TRUE(gpio->m_checkSendRemote->GetValue());

    ExpectControlsEnabled(true);
    EXPECT_FALSE(Dlg()->m_busy);
    EXPECT_EQ(WaitCursor::Count(), 0);
    EXPECT_TRUE(m_rig.answers.messageBoxes.empty());
}

TEST_F(MainDialogEndToEnd, ApplyingTheGeneralPageSendsWhatTheUserChose)
{
    ConnectAndForget();
    GeneralInfoPage* page = Dlg()->m_generalPage;
    wxDynamicCast(page->FindWindow(IDC_EDIT_GROUP_ID), wxTextCtrl)->SetValue("321");
    ClickRadio(page, IDC_RADIO_SLAVE);
    ClickRadio(page, IDC_RADIO_BYPASS);
    ClickRadio(page, IDC_RADIO_P2MP);
    ChooseItem(page, IDC_COMBO_UART_PARITY, 1);   // Odd
    ChooseItem(page, IDC_COMBO_UART_STOPBIT, 1);  // 2
    ChooseItem(page, IDC_COMBO_UART_DATABIT, 0);  // 7 bits
    ClickButton(page, IDC_BUTTON_GENERAL_APPLY);
    wxTheApp->ProcessPendingEvents();  // the page's message reaches the dialog

    // Busy at once: controls off, wait cursor on.
    EXPECT_TRUE(Dlg()->m_busy);
    EXPECT_EQ(WaitCursor::Count(), 1);
    EXPECT_FALSE(Control(IDC_BUTTON_RESTART)->IsEnabled());

    ASSERT_TRUE(m_rig.WaitForResults(2));
    EXPECT_EQ(m_rig.results[1], Result(4, 0));
    char phyAndChannel[64];
    std::snprintf(phyAndChannel, sizeof phyAndChannel, "AT+PHYID=%u\r|AT+RFCH=%u\r", page->m_values.net.phyId,
                  page->m_values.net.rfChannel);
    const std::string both = phyAndChannel;
    EXPECT_EQ(m_modem.Commands(), (Lines{"AT+OPMODE=3\r", "AT+PANID=321\r", both.substr(0, both.find('|')),
                                         both.substr(both.find('|') + 1), "AT+NETROLE=2\r",
                                         "AT+UART=115200,1,2,7\r", "AT+QM=0\r"}));
    EXPECT_EQ(m_rig.answers.Messages(),
              std::vector<wxString>{L"기본설정 적용을 완료하였습니다.\r\n변경된 설정값은 장치 재시작 후 적용됩니다."});
    EXPECT_EQ(m_rig.answers.messageBoxes[0].style & wxICON_MASK, wxICON_INFORMATION);
    ExpectControlsEnabled(true);
    EXPECT_EQ(WaitCursor::Count(), 0);
    EXPECT_EQ(m_modem.GetState().net.panId, 321);
}

TEST_F(MainDialogEndToEnd, ApplyingTheGeneralPageToAQuietModemSendsEightLines)
{
    m_modem.AnswerWith("AT+QM?\r", "\r\n+QM,1\r\n\r\nOK\r\n", 1);
    ConnectAndForget();
    ASSERT_EQ(Dlg()->m_deviceInfo.quietMode, 1);
    ClickRadio(Dlg()->m_generalPage, IDC_RADIO_RESPONSE_ON);
    ClickButton(Dlg()->m_generalPage, IDC_BUTTON_GENERAL_APPLY);
    ASSERT_TRUE(m_rig.WaitForResults(2));
    EXPECT_EQ(m_rig.results[1], Result(4, 0));
    const Lines sent = m_modem.Commands();
    ASSERT_EQ(sent.size(), 8u);
    EXPECT_EQ(sent.front(), "AT+QM=0\r");
    EXPECT_EQ(sent.back(), "AT+QM=0\r");
    EXPECT_EQ(Dlg()->m_deviceInfo.quietMode, 0);
}

TEST_F(MainDialogEndToEnd, ApplyingTheGpioPageSendsThirteenRowsThenTheReport)
{
    ConnectAndForget();
    GpioConfigPage* page = Dlg()->m_gpioPage;
    ChooseItem(page, IDC_COMBO_GPIO_MODE0 + 6, 1);    // GPIO 3: Output
    ChooseItem(page, IDC_COMBO_GPIO_CONFIG0 + 6, 1);  // High
    page->m_editPeriod->SetValue("1500");
    page->m_checkSendRemote->SetValue(true);
    ClickButton(page, IDC_BUTTON_GPIO_APPLY);
    ASSERT_TRUE(m_rig.WaitForResults(2));
    EXPECT_EQ(m_rig.results[1], Result(5, 0));

    Lines expected;
    char line[32];
    for (int i = 0; i < kGpioCount; ++i)
    {
        std::snprintf(line, sizeof line, "AT+GPIOC=%04X,%d,%d\r", 1u << i, i == 3, i == 3);
        expected.push_back(line);
    }
    expected.push_back("AT+GPIOP=1500,1\r");
    EXPECT_EQ(m_modem.Commands(), expected);
    EXPECT_EQ(m_rig.answers.Messages(),
              std::vector<wxString>{L"GPIO설정 적용을 완료하였습니다.\r\n변경된 설정값은 장치 재시작 후 적용됩니다."});
}

TEST_F(MainDialogEndToEnd, RefusedApplyIsReportedAndTheConnectionStays)
{
    ConnectAndForget();
    m_modem.AnswerError("AT+NETROLE=");
    ClickButton(Dlg()->m_generalPage, IDC_BUTTON_GENERAL_APPLY);
    ASSERT_TRUE(m_rig.WaitForResults(2));
    EXPECT_EQ(m_rig.results[1], Result(4, 1));
    ASSERT_EQ(m_rig.answers.messageBoxes.size(), 1u);
    EXPECT_EQ(m_rig.answers.messageBoxes[0].message, L"기본설정 적용을 실패하였습니다.");
    EXPECT_EQ(m_rig.answers.messageBoxes[0].style & wxICON_MASK, wxICON_ERROR);
    EXPECT_TRUE(Dlg()->IsPortOpen());
    ExpectControlsEnabled(true);
}

std::vector<ConfigItem> ItemsOfTheReadState(const CLumvexQ310DConfiguratorDlg* dlg)
{
    std::vector<ConfigItem> items;
    const auto add = [&](uint32_t kind, const void* value, size_t size) {
        ConfigItem item{};
        item.kind = kind;
        std::memcpy(&item.value, value, size);
        items.push_back(item);
    };
    const GeneralInfoValues& g = dlg->m_generalPage->m_values;
    add(CommandId::SetOpMode, &g.info.opMode, 1);
    add(CommandId::SetNetRole, &g.info.netRole, 1);
    add(CommandId::SetPanId, &g.net.panId, 2);
    add(CommandId::SetRfChannel, &g.net.rfChannel, 1);
    add(CommandId::SetUart, &g.uart, sizeof g.uart);
    for (const GpioEntry& e : dlg->m_gpioPage->m_settings.gpio)
        add(CommandId::SetGpioConfig, &e, sizeof e);
    add(CommandId::SetQuietMode, &g.quietMode, 1);
    add(CommandId::SetGpioPeriodic, &dlg->m_gpioPage->m_settings.report, sizeof(PeriodicReport));
    return items;
}

TEST_F(MainDialogEndToEnd, SavingWritesThePageRecordsNotUnappliedEdits)
{
    ConnectAndForget();
    // An edit that was not applied does not reach the file.
    ChooseItem(Dlg()->m_gpioPage, IDC_COMBO_GPIO_MODE0, 1);
    std::vector<ConfigItem> collected;
    Dlg()->CollectConfigItems(collected);
    ASSERT_EQ(collected.size(), 20u);
    const std::vector<ConfigItem> expected = ItemsOfTheReadState(Dlg());
    EXPECT_EQ(0, std::memcmp(collected.data(), expected.data(), 20 * sizeof(ConfigItem)));
    EXPECT_EQ(collected[5].value.gpio.ioMode, 0);

    m_rig.answers.filePaths.push_back(TempPath("settings"));  // typed without an extension
    wxCommandEvent save(wxEVT_MENU, ID_SAVE_CONFIG_FILE);
    Dlg()->ProcessWindowEvent(save);
    ASSERT_TRUE(std::filesystem::exists(TempPath("settings.json")));
    ASSERT_EQ(m_rig.answers.fileDialogs, 1);
    EXPECT_TRUE(m_rig.answers.fileDialogStyles[0] & wxFD_OVERWRITE_PROMPT);
    EXPECT_EQ(m_rig.answers.fileDialogFilters[0], L"설정 파일(*.json) |*.json|모든파일(*.*) |*");
    ASSERT_EQ(ConfigFile::Save(std::filesystem::path(TempPath("expected.json")).wstring(), expected), 0);
    EXPECT_EQ(ReadFile(TempPath("settings.json")), ReadFile(TempPath("expected.json")));
    EXPECT_EQ(m_rig.answers.Messages(), std::vector<wxString>{L"설정 파일을 저장하였습니다."});
    EXPECT_TRUE(m_modem.Commands().empty());
    EXPECT_FALSE(Dlg()->m_busy);
}

TEST_F(MainDialogEndToEnd, ANameThatGainsTheExtensionIsAskedAboutBeforeReplacingAFile)
{
    ConnectAndForget();
    {
        std::ofstream old(TempPath("settings.json"));
        old << "old";
    }
    wxCommandEvent save(wxEVT_MENU, ID_SAVE_CONFIG_FILE);

    m_rig.answers.messageAnswer = wxID_NO;
    m_rig.answers.filePaths.push_back(TempPath("settings"));
    Dlg()->ProcessWindowEvent(save);
    ASSERT_EQ(m_rig.answers.messageBoxes.size(), 1u);
    EXPECT_EQ(m_rig.answers.messageBoxes[0].message, L"settings.json 파일이 이미 있습니다. 바꾸시겠습니까?");
    EXPECT_TRUE(m_rig.answers.messageBoxes[0].style & wxYES_NO);
    EXPECT_EQ(ReadFile(TempPath("settings.json")), "old");

    m_rig.answers.messageAnswer = wxID_YES;
    m_rig.answers.filePaths.push_back(TempPath("settings"));
    Dlg()->ProcessWindowEvent(save);
    EXPECT_NE(ReadFile(TempPath("settings.json")), "old");
    EXPECT_EQ(m_rig.answers.Messages().back(), L"설정 파일을 저장하였습니다.");
}

TEST_F(MainDialogEndToEnd, SavingWhereNoFileCanBeWrittenIsReported)
{
    ConnectAndForget();
    m_rig.answers.filePaths.push_back(TempPath("no-such-dir/settings.json"));
    wxCommandEvent save(wxEVT_MENU, ID_SAVE_CONFIG_FILE);
    Dlg()->ProcessWindowEvent(save);
    ASSERT_EQ(m_rig.answers.messageBoxes.size(), 1u);
    EXPECT_EQ(m_rig.answers.messageBoxes[0].message,
              L"설정 파일을 저장할 수 없습니다. 파일 이름과 저장 위치가 올바른지 확인한 후 다시 시도해 주세요.");
    EXPECT_EQ(m_rig.answers.messageBoxes[0].style & wxICON_MASK, wxICON_ERROR);
}

TEST_F(MainDialogEndToEnd, LoadingAFileAppliesItThenRestartsAndReconnects)
{
    ConnectAndForget();
    const GpioEntry gpio{5, 1, 0};
    std::vector<ConfigItem> items(3);
    items[0].kind = CommandId::SetOpMode;
    items[0].value.opMode = 4;
    items[1].kind = CommandId::SetGpioConfig;
    items[1].value.gpio = gpio;
    items[2].kind = CommandId::SetPanId;
    items[2].value.panId = 500;
    const std::string path = TempPath("load.json");
    ASSERT_EQ(ConfigFile::Save(std::filesystem::path(path).wstring(), items), 0);

    m_rig.answers.filePaths.push_back(path);
    wxCommandEvent load(wxEVT_MENU, ID_LOAD_CONFIG_FILE);
    Dlg()->ProcessWindowEvent(load);
    EXPECT_TRUE(Dlg()->m_busy);
    ASSERT_TRUE(m_rig.WaitForResults(4));
    EXPECT_EQ(m_rig.results[1], Result(7, 0));
    EXPECT_EQ(m_rig.results[2], Result(8, 0));
    EXPECT_EQ(m_rig.results[3], Result(3, 0));  // read again after reconnecting
    const Lines sent = m_modem.Commands();
    ASSERT_GE(sent.size(), 4u);
    // The file's own order (general settings before GPIOs), then the restart.
    EXPECT_EQ(Lines(sent.begin(), sent.begin() + 4),
              (Lines{"AT+OPMODE=4\r", "AT+PANID=500\r", "AT+GPIOC=0020,1,0\r", "ATZ\r"}));
    EXPECT_EQ(sent[4], "AT\r");
    EXPECT_EQ(m_rig.answers.comDialogs, 2);
    EXPECT_EQ(m_rig.answers.Messages(),
              std::vector<wxString>{L"설정 파일 적용을 성공하였습니다.\r\n실행된 AT 명령어: 3\r\n"});
    EXPECT_TRUE(Dlg()->IsPortOpen());
    EXPECT_FALSE(Dlg()->m_busy);
    EXPECT_EQ(WaitCursor::Count(), 0);
}

TEST_F(MainDialogEndToEnd, ALoadedFileTheModemRefusesIsReportedAndTheModemReadAgain)
{
    ConnectAndForget();
    std::vector<ConfigItem> items(2);
    items[0].kind = CommandId::SetNetRole;
    items[0].value.netRole = 2;
    items[1].kind = CommandId::SetRfChannel;
    items[1].value.rfChannel = 200;  // out of range: refused
    const std::string path = TempPath("refused.json");
    ASSERT_EQ(ConfigFile::Save(std::filesystem::path(path).wstring(), items), 0);
    m_rig.answers.filePaths.push_back(path);
    wxCommandEvent load(wxEVT_MENU, ID_LOAD_CONFIG_FILE);
    Dlg()->ProcessWindowEvent(load);
    ASSERT_TRUE(m_rig.WaitForResults(3));
    EXPECT_EQ(m_rig.results[1], Result(7, 4));
    EXPECT_EQ(m_rig.results[2], Result(3, 0));
    EXPECT_EQ(m_rig.answers.Messages(), std::vector<wxString>{L"설정 파일 적용을 실패하였습니다."});
    EXPECT_EQ(m_modem.Commands()[2], "AT\r");
    EXPECT_TRUE(Dlg()->IsPortOpen());
}

// Stand-ins for files no text describes.
const char kFifo[] = "(a FIFO)";
const char kOversized[] = "(a valid file of 2 MiB)";

struct RefusedFile
{
    const char* name;
    const char* text;  // nullptr: no file at all
    const wchar_t* message;
    const wchar_t* caption;  // nullptr: the application's
    long icon;
};

class RefusedFileTest : public MainDialogEndToEnd, public testing::WithParamInterface<RefusedFile>
{
};

TEST_P(RefusedFileTest, IsReportedAndNothingIsSent)
{
    ConnectAndForget();
    const RefusedFile& c = GetParam();
    const std::string path = TempPath("refused.json");
    if (c.text == kFifo)
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    else if (c.text == kOversized)
        std::ofstream(path, std::ios::binary) << "{" << std::string(2 << 20, ' ') << "}";
    else if (c.text)
        std::ofstream(path, std::ios::binary) << c.text;
    ConfigItem previous{};
    previous.kind = CommandId::SetOpMode;
    Dlg()->m_fileItems = {previous};

    m_rig.answers.filePaths.push_back(path);
    wxCommandEvent load(wxEVT_MENU, ID_LOAD_CONFIG_FILE);
    Dlg()->ProcessWindowEvent(load);
    PumpEvents();
    ASSERT_EQ(m_rig.answers.messageBoxes.size(), 1u);
    EXPECT_EQ(m_rig.answers.messageBoxes[0].message, c.message);
    if (c.caption)
    {
        EXPECT_EQ(m_rig.answers.messageBoxes[0].caption, c.caption);
    }
    EXPECT_EQ(m_rig.answers.messageBoxes[0].style & wxICON_MASK, c.icon);
    EXPECT_FALSE(Dlg()->m_busy);
    EXPECT_EQ(Dlg()->m_fileItems.size(), 1u);
    EXPECT_TRUE(m_modem.Commands().empty());
    EXPECT_EQ(m_rig.results.size(), 1u);
}

const wchar_t kUnreadable[] =
    L"설정 파일을 읽어 들이는데 실패하였습니다. 설정 파일 형식을 확인하시고 다시 시도해 주세요";

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedFileTest,
    testing::Values(
        RefusedFile{"Missing", nullptr, kUnreadable, nullptr, wxICON_NONE},
        RefusedFile{"Empty", "", kUnreadable, nullptr, wxICON_NONE},
        RefusedFile{"NotJson", "Model Name = Q310D", kUnreadable, nullptr, wxICON_NONE},
        RefusedFile{"Fifo", kFifo, kUnreadable, nullptr, wxICON_NONE},
        RefusedFile{"Oversized", kOversized, kUnreadable, nullptr, wxICON_NONE},
        RefusedFile{"LoneSurrogate", "{\"X\":\"\\udc00\",\"General\":{\"PAN ID\":1}}", kUnreadable, nullptr,
                    wxICON_NONE},
        RefusedFile{"RootArray", "[1, 2]",
                    L"설정 파일 분석에 문제가 발생했습니다.(-1) 설정 파일을 확인하시고 다시 시도해 주세요.",
                    L"설정 파일 오류", wxICON_ERROR},
        RefusedFile{"OtherModel", "{\"Model Name\": \"Q300\", \"General\": {}}",
                    L"설정 파일 분석에 문제가 발생했습니다.(-2) 설정 파일을 확인하시고 다시 시도해 주세요.",
                    L"설정 파일 오류", wxICON_ERROR},
        RefusedFile{"NoSettings", "{\"Model Name\": \"Q310D\"}",
                    L"설정 파일에 올바른 설정값이 없습니다. 설정 파일을 확인하시기 바랍니다.", L"설정 읽기 오류",
                    wxICON_WARNING}),
    CaseName());

// Restart and factory reset close the port and offer the COM settings dialog again.
struct ResetCase
{
    const char* name;
    int button;
    const char* line;
    bool reconnect;
};

class ResetButtonTest : public MainDialogEndToEnd, public testing::WithParamInterface<ResetCase>
{
};

TEST_P(ResetButtonTest, ClosesThePortAndOffersTheConnectionAgain)
{
    const ResetCase& c = GetParam();
    ConnectAndForget();
    m_rig.answers.comOk = c.reconnect;
    ClickButton(Dlg(), c.button);
    ASSERT_TRUE(m_rig.WaitForResults(2));
    EXPECT_EQ(m_rig.answers.comDialogs, 2);
    if (c.reconnect)
    {
        ASSERT_TRUE(m_rig.WaitForResults(3));
        EXPECT_EQ(m_rig.results[2], Result(3, 0));
        EXPECT_EQ(m_modem.Commands().front(), c.line);
        EXPECT_EQ(m_modem.Commands()[1], "AT\r");
        EXPECT_TRUE(Dlg()->IsPortOpen());
        ExpectControlsEnabled(true);
    }
    else
    {
        PumpEvents();
        EXPECT_EQ(m_modem.Commands(), Lines{c.line});
        ExpectClosed();
    }
    EXPECT_TRUE(m_rig.answers.messageBoxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Buttons, ResetButtonTest,
                         testing::Values(ResetCase{"RestartThenOk", IDC_BUTTON_RESTART, "ATZ\r", true},
                                         ResetCase{"RestartThenCancel", IDC_BUTTON_RESTART, "ATZ\r", false},
                                         ResetCase{"FactoryResetThenOk", IDC_BUTTON_FACTORY_RESET, "AT&F\r", true},
                                         ResetCase{"FactoryResetThenCancel", IDC_BUTTON_FACTORY_RESET, "AT&F\r", false}),
                         CaseName());

TEST_F(MainDialogEndToEnd, AFailedReadIsReportedAndClosesThePort)
{
    m_modem.AnswerError("AT+INFO?");
    ASSERT_EQ(Connect(), Result(3, 1));
    PumpEvents();
    ASSERT_EQ(m_rig.answers.messageBoxes.size(), 1u);
    EXPECT_EQ(m_rig.answers.messageBoxes[0].message,
              L"제품이 응답하지 않거나 응답이 잘못 되었습니다. 통신 속도 등을 확인하시고 다시 시도해 주세요.");
    EXPECT_EQ(m_rig.answers.messageBoxes[0].style & wxICON_MASK, wxICON_NONE);
    ExpectClosed();
}

// A port that cannot be opened: string 130 followed by the system's reason.
struct OpenFailureCase
{
    const char* name;
    bool heldByAnother;  // the modem's port, locked by another program; else no such port
    int error;
};

class OpenFailureTest : public MainDialogEndToEnd, public testing::WithParamInterface<OpenFailureCase>
{
};

TEST_P(OpenFailureTest, IsReportedWithTheSystemsReason)
{
    const OpenFailureCase& c = GetParam();
    int holder = -1;
    if (c.heldByAnother)
    {
        holder = ::open(m_modem.SlavePath().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(holder, 0);
        ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    }
    m_rig.Show(c.heldByAnother ? m_modem.SlavePath() : "/dev/q310-no-such-port");
    PumpEvents();
    if (holder >= 0)
        ::close(holder);
    ASSERT_EQ(m_rig.answers.messageBoxes.size(), 1u);
    EXPECT_EQ(m_rig.answers.messageBoxes[0].message,
              L"COM 포트를 열지 못하였습니다.: " + AnsiToWide(std::generic_category().message(c.error)));
    EXPECT_EQ(m_rig.answers.messageBoxes[0].style & wxICON_MASK, wxICON_ERROR);
    EXPECT_FALSE(Dlg()->IsPortOpen());
    EXPECT_FALSE(Dlg()->m_worker.joinable());
    EXPECT_EQ(Dlg()->m_statusBar->GetStatusText(0), L"COM 포트 닫힘");
}

INSTANTIATE_TEST_SUITE_P(Ports, OpenFailureTest,
                         testing::Values(OpenFailureCase{"NoSuchPort", false, ENOENT},
                                         OpenFailureCase{"HeldByAnotherProgram", true, EBUSY}),
                         CaseName());

// The modem hangs up while a command runs: one report of the line, one of the command, and
// the dialog is left closed and idle (no follow-up queued, no wait cursor).
struct HangUpCase
{
    const char* name;
    const char* hangUpOn;
    bool fromFile;  // a loaded file's apply, else the GPIO page's
    Result result;
    const wchar_t* failure;
    size_t commands;
};

class HangUpTest : public MainDialogEndToEnd, public testing::WithParamInterface<HangUpCase>
{
};

TEST_P(HangUpTest, InTheMiddleOfACommandClosesEverythingOnce)
{
    const HangUpCase& c = GetParam();
    ConnectAndForget();
    m_modem.HangUpOn(c.hangUpOn);
    if (c.fromFile)
    {
        std::vector<ConfigItem> items(3);
        items[0].kind = CommandId::SetOpMode;
        items[0].value.opMode = 4;
        items[1].kind = CommandId::SetPanId;
        items[1].value.panId = 500;
        items[2].kind = CommandId::SetRfChannel;
        items[2].value.rfChannel = 99;
        const std::string path = TempPath("apply.json");
        ASSERT_EQ(ConfigFile::Save(std::filesystem::path(path).wstring(), items), 0);
        m_rig.answers.filePaths.push_back(path);
        wxCommandEvent load(wxEVT_MENU, ID_LOAD_CONFIG_FILE);
        Dlg()->ProcessWindowEvent(load);
    }
    else
    {
        ClickButton(Dlg()->m_gpioPage, IDC_BUTTON_GPIO_APPLY);
    }
    ASSERT_TRUE(m_rig.WaitForResults(2));
    ASSERT_TRUE(PumpUntil([&] { return !Dlg()->IsPortOpen() && CountMessages(kCommProblem) == 1; }, 10s));
    PumpUntil([] { return false; }, 100ms);
    EXPECT_EQ(m_rig.results[1], c.result);
    EXPECT_EQ(m_rig.results.size(), 2u);
    EXPECT_EQ(CountMessages(kCommProblem), 1u);
    EXPECT_EQ(CountMessages(c.failure), 1u);
    EXPECT_EQ(m_rig.answers.messageBoxes.size(), 2u);
    ExpectClosed();
    EXPECT_EQ(m_modem.CommandCount(), c.commands);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, HangUpTest,
    testing::Values(HangUpCase{"GpioApply", "AT+GPIOC=0008", false, Result(5, 1),
                               L"GPIO설정 적용을 실패하였습니다.", 4},
                    HangUpCase{"FileApply", "AT+PANID=", true, Result(7, 5),
                               L"설정 파일 적용을 실패하였습니다.", 2}),
    CaseName());

TEST_F(MainDialogEndToEnd, TheModemHangingUpWhileIdleIsReportedOnce)
{
    ConnectAndForget();
    m_modem.HangUp();
    ASSERT_TRUE(PumpUntil([&] { return CountMessages(kCommProblem) == 1; }, 10s));
    PumpUntil([] { return false; }, 100ms);
    EXPECT_EQ(m_rig.answers.messageBoxes.size(), 1u);
    EXPECT_EQ(m_rig.answers.messageBoxes[0].style & wxICON_MASK, wxICON_NONE);
    ExpectClosed();
}

TEST_F(MainDialogEndToEnd, ASilentModemFailsTheReadAfterThePingAndTheQuietModeQuery)
{
    m_modem.StaySilent("AT");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Connect(), Result(3, 1));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 4000ms);
    EXPECT_LT(took, 6000ms);
    EXPECT_EQ(m_modem.Commands(), (Lines{"AT\r", "AT+QM?\r"}));
    ExpectClosed();
}

TEST_F(MainDialogEndToEnd, GarbageAndUnsolicitedLinesDoNotDisturbTheRead)
{
    SimulatedModem::Script noisy;
    noisy.prefix = "AT+INFO?";
    noisy.before = std::string("\x01\xFF junk\r\n\r\n+READY\r\n", 20);
    noisy.after = "\r\n+ACTIVE,00124B0001020304\r\n";
    m_modem.AddScript(noisy);
    SimulatedModem::Script unknown;
    unknown.prefix = "AT+GPIOC?";
    unknown.before = "\r\n+SOMETHING,1,2\r\n\r\n\r\n";
    m_modem.AddScript(unknown);
    m_modem.SetChunking(3, std::chrono::microseconds(300));
    ASSERT_EQ(Connect(), Result(3, 0));
    EXPECT_EQ(Dlg()->m_addressEdit->GetValue(), "00:12:4B:00:01:02:03:04");
    EXPECT_EQ(Dlg()->m_firmwareEdit->GetValue(), "Q310D V1.0.3");
    EXPECT_TRUE(m_rig.answers.messageBoxes.empty());
}

TEST_F(MainDialogEndToEnd, ClosingTheWindowWhileACommandRunsEndsCleanly)
{
    ConnectAndForget();
    m_modem.StaySilent("AT+OPMODE=");
    ClickButton(Dlg()->m_generalPage, IDC_BUTTON_GENERAL_APPLY);
    ASSERT_TRUE(PumpUntil([&] { return m_modem.CommandCount() >= 1; }, 5s));

    m_rig.answers.messageAnswer = wxID_YES;
    Dlg()->Close();
    ASSERT_EQ(m_rig.answers.Messages(), std::vector<wxString>{L"프로그램을 종료하시겠습니까?"});
    const auto start = std::chrono::steady_clock::now();
    m_rig.DestroyDialog();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1000ms);
    PumpEvents();
    // The result of the broken-off command is dropped with the window.
    EXPECT_EQ(m_rig.answers.messageBoxes.size(), 1u);
    EXPECT_EQ(WaitCursor::Count(), 0);
    EXPECT_EQ(m_modem.CommandCount(), 1u);
}

TEST_F(MainDialogEndToEnd, RequestsWhileThePortIsClosedQueueNothing)
{
    m_rig.Show("");  // the COM settings dialog is cancelled
    ClickButton(Dlg(), IDC_BUTTON_RESTART);
    PostAppMessage(Dlg(), WM_APP_APPLY_GENERAL);
    PumpEvents();
    EXPECT_FALSE(Dlg()->m_busy);
    EXPECT_EQ(WaitCursor::Count(), 0);
    EXPECT_TRUE(m_modem.Commands().empty());
    EXPECT_TRUE(m_rig.results.empty());
    // An error report for a closed port posts nothing.
    std::error_code error = std::make_error_code(std::errc::io_error);
    Dlg()->OnCommError(&Dlg()->m_comm, error);
    PumpEvents();
    EXPECT_EQ(m_rig.commErrorMessages, 0);
}

TEST_F(MainDialogEndToEnd, AnOpenRequestWhileConnectedOnlyCloses)
{
    ConnectAndForget();
    PostAppMessage(Dlg(), WM_APP_OPEN_PORT);
    PumpEvents();
    EXPECT_FALSE(Dlg()->IsPortOpen());
    EXPECT_FALSE(Dlg()->m_worker.joinable());
    EXPECT_TRUE(Control(IDC_BUTTON_RESTART)->IsEnabled());
    EXPECT_FALSE(Dlg()->m_menuBar->IsEnabled(ID_LOAD_CONFIG_FILE));
    EXPECT_TRUE(Dlg()->m_menuBar->IsEnabled(ID_SERIAL_PORT_CONFIG));
    EXPECT_TRUE(m_modem.Commands().empty());
}

TEST_F(MainDialogEndToEnd, ThePortSettingsCommandReconnects)
{
    ConnectAndForget();
    wxCommandEvent config(wxEVT_MENU, ID_SERIAL_PORT_CONFIG);
    Dlg()->ProcessWindowEvent(config);
    ASSERT_TRUE(m_rig.WaitForResults(2));
    EXPECT_EQ(m_rig.results[1], Result(3, 0));
    EXPECT_EQ(m_rig.answers.comDialogs, 2);
    EXPECT_TRUE(Dlg()->IsPortOpen());
}

}  // namespace

namespace {

// Pictures of the dialog after a device read; run with --gtest_also_run_disabled_tests.
// The directory comes from Q310_SHOTS_DIR (default: the working directory).
TEST_F(MainDialogEndToEnd, DISABLED_ScreenshotsAfterADeviceRead)
{
    SimulatedModem::State state = SimulatedModem::FactoryState();
    state.gpio[2] = {2, 2, 0};
    state.gpio[5] = {5, 1, 1};
    state.report = {2000, 1, {0, 0, 0}};
    m_modem.SetState(state);
    ASSERT_EQ(Connect(), Result(3, 0));
    const char* dir = std::getenv("Q310_SHOTS_DIR");
    const std::string prefix = std::string(dir && *dir ? dir : ".") + "/";
    PumpUntil([] { return false; }, 300ms);
    EXPECT_TRUE(SaveWindowShot(Dlg(), prefix + "main-dialog-after-read.png"));
    Dlg()->m_tabCtrl->SetSelection(1);
    PumpUntil([] { return false; }, 300ms);
    EXPECT_TRUE(SaveWindowShot(Dlg(), prefix + "main-dialog-after-read-gpio.png"));
}

}  // namespace
