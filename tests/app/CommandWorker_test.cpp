// The command worker of the main dialog against a simulated modem on a pseudo-terminal:
// the AT lines of every sequence in order, the quiet-mode rules, the results posted, and
// how the queue is served. Commands are queued with PostCommand as the handlers do.

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/CLumvexQ310DConfiguratorDlg.h"
#include "app/GeneralInfoPage.h"
#include "app/GpioConfigPage.h"
#include "support/CaseName.h"
#include "support/GuiFixtures.h"
#include "support/GuiMainDialogRig.h"
#include "support/SimulatedModem.h"
#include "support/Watchdog.h"

namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;
using Result = std::pair<int, int>;

const Lines kReadLines = {"AT\r",         "AT+QM?\r",    "AT+INFO?\r", "AT+NETINFO?\r",
                          "AT+GPIOC?\r", "AT+GPIOP?\r", "AT+VER?\r"};

ConfigItem Item(uint32_t kind, const void* value, size_t size)
{
    ConfigItem item{};
    item.kind = kind;
    std::memcpy(&item.value, value, size);
    return item;
}

template <typename T>
ConfigItem Item(uint32_t kind, T value)
{
    return Item(kind, &value, sizeof value);
}

class CommandWorkerTest : public testing::Test
{
protected:
    CommandWorkerTest()
    {
        // What the line and the device record held when each result reached the dialog,
        // before its handler queued any follow-up. The record is read only for a command
        // run alone (Run): the worker is idle then, with nothing queued behind it.
        m_rig.dlg->Bind(WM_APP_COMMAND_DONE, [this](AppMessageEvent& event) {
            m_snapshots.push_back({m_modem.Commands(), m_runningAlone ? m_rig.dlg->m_deviceInfo.quietMode : uint8_t{0}});
            event.Skip();
        });
        m_rig.Show(m_modem.SlavePath());
        m_connected = m_rig.WaitForResults(1) && m_rig.results[0] == Result(3, 0);
        m_modem.ClearCommands();
        m_rig.answers.messageBoxes.clear();
        m_dlg = m_rig.dlg;
    }

    void SetUp() override { ASSERT_TRUE(m_connected) << "the first device read failed"; }

    // Queues command as a handler would and returns its result.
    int Run(int command)
    {
        const size_t before = m_rig.results.size();
        m_runningAlone = true;
        m_dlg->PostCommand(command, false);
        EXPECT_TRUE(m_rig.WaitForResults(before + 1)) << "no result for command " << command;
        m_runningAlone = false;
        if (m_rig.results.size() <= before)
            return -1;
        EXPECT_EQ(m_rig.results[before].first, command);
        m_sent = m_snapshots[before].lines;
        m_quietAfter = m_snapshots[before].quietMode;
        m_modem.ClearCommands();
        return m_rig.results[before].second;
    }

    // The read that the dialog made at the start saw a quiet modem (the modem itself
    // keeps answering unless told otherwise).
    void ReadAsQuiet()
    {
        m_modem.AnswerWith("AT+QM?\r", "\r\n+QM,1\r\n\r\nOK\r\n", 1);
        ASSERT_EQ(Run(WorkerCommand::ReadDeviceInfo), 0);
        ASSERT_EQ(m_dlg->m_deviceInfo.quietMode, 1);
        m_modem.ClearCommands();
        m_rig.answers.messageBoxes.clear();
    }

    GeneralInfoValues SampleGeneral(uint8_t quietMode = 0) const
    {
        GeneralInfoValues values{};
        values.info.opMode = 2;
        values.info.netRole = 2;
        values.net.panId = 4660;
        values.net.phyId = 12;
        values.net.rfChannel = 5;
        values.uart = {115200, 1, 1, 7, 0};
        values.quietMode = quietMode;
        return values;
    }

    static Lines GeneralLines(uint8_t quietMode)
    {
        return {"AT+OPMODE=2\r", "AT+PANID=4660\r",          "AT+PHYID=12\r",
                "AT+RFCH=5\r",   "AT+NETROLE=2\r",           "AT+UART=115200,1,1,7\r",
                std::string("AT+QM=") + char('0' + quietMode) + "\r"};
    }

    GpioSettings SampleGpio() const
    {
        GpioSettings settings{};
        for (int i = 0; i < kGpioCount; ++i)
            settings.gpio[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i % 2), static_cast<uint8_t>(i % 3 == 0)};
        settings.report = {500, 1, {0, 0, 0}};
        return settings;
    }

    static Lines GpioLines()
    {
        Lines lines;
        char line[32];
        for (int i = 0; i < kGpioCount; ++i)
        {
            std::snprintf(line, sizeof line, "AT+GPIOC=%04X,%d,%d\r", 1u << i, i % 2, i % 3 == 0);
            lines.push_back(line);
        }
        lines.push_back("AT+GPIOP=500,1\r");
        return lines;
    }

    Watchdog m_watchdog{60s, "command worker test"};
    TempProfile m_profile;
    ScopedLanguage m_language{StringTable::Language::Korean};
    SimulatedModem m_modem;
    MainDialogRig m_rig;  // after the modem: the dialog closes its port before the modem stops
    CLumvexQ310DConfiguratorDlg* m_dlg = nullptr;
    bool m_connected = false;
    struct Snapshot
    {
        Lines lines;
        uint8_t quietMode;
    };
    std::vector<Snapshot> m_snapshots;
    bool m_runningAlone = false;
    Lines m_sent;          // the lines of the last Run
    uint8_t m_quietAfter = 0;  // the stored quiet mode when its result arrived
};

TEST_F(CommandWorkerTest, ReadDeviceInfoSendsTheSevenQueriesAndTakesEveryValue)
{
    SimulatedModem::State state = SimulatedModem::FactoryState();
    state.info.opMode = 4;
    state.info.state = 0;
    state.info.modeFlag = 1;
    state.net = {13, 7, 65000, 1, 0};
    state.gpio[2] = {2, 2, 1};
    state.gpio[12] = {12, 1, 1};
    state.report = {1500, 1, {0, 0, 0}};
    state.version = "V2.3.4-beta";
    m_modem.SetState(state);

    EXPECT_EQ(Run(WorkerCommand::ReadDeviceInfo), 0);
    EXPECT_EQ(m_sent, kReadLines);
    const DeviceInfo& read = m_dlg->m_deviceInfo;
    EXPECT_EQ(0, std::memcmp(read.info.extAddress, state.info.extAddress, 8));
    EXPECT_EQ(read.info.opMode, 4);
    EXPECT_EQ(read.info.modeFlag, 1);
    EXPECT_EQ(read.net.panId, 65000);
    EXPECT_EQ(read.net.phyId, 13);
    EXPECT_EQ(read.net.bcFh, 1);
    for (int i = 0; i < kGpioCount; ++i)
    {
        EXPECT_EQ(read.gpio[i].gpio, state.gpio[i].gpio) << i;
        EXPECT_EQ(read.gpio[i].ioMode, state.gpio[i].ioMode) << i;
        EXPECT_EQ(read.gpio[i].config, state.gpio[i].config) << i;
    }
    EXPECT_EQ(read.report.reportInterval, 1500u);
    EXPECT_EQ(read.report.sendRemote, 1);
    EXPECT_EQ(read.quietMode, 0);
    EXPECT_EQ(m_dlg->m_firmwareVersion, "V2.3.4-beta");
}

TEST_F(CommandWorkerTest, PingAnsweredErrorIsRepeatedOnceAndDecidesNothing)
{
    m_modem.AnswerError("AT\r");
    EXPECT_EQ(Run(WorkerCommand::ReadDeviceInfo), 0);
    Lines expected = kReadLines;
    expected.insert(expected.begin(), "AT\r");
    EXPECT_EQ(m_sent, expected);
}

TEST_F(CommandWorkerTest, AVersionByteThatIsNoCharacterCostsOnlyItself)
{
    SimulatedModem::State state = m_modem.GetState();
    state.version = "V1.\xff" "2";
    m_modem.SetState(state);
    EXPECT_EQ(Run(WorkerCommand::ReadDeviceInfo), 0);
    EXPECT_EQ(m_dlg->m_firmwareVersion, wxString(L"V1.\uFFFD2"));
}

TEST_F(CommandWorkerTest, QuietModeReadFromTheQueryIsKept)
{
    ReadAsQuiet();
}

// A query answered ERROR ends the read: nothing after it is sent, and what the earlier
// queries returned is not taken.
class ReadFailureTest : public CommandWorkerTest, public testing::WithParamInterface<size_t>
{
};

TEST_P(ReadFailureTest, StopsAtTheFailingQueryAndKeepsThePreviousDeviceInfo)
{
    const DeviceInfo before = m_dlg->m_deviceInfo;
    const wxString versionBefore = m_dlg->m_firmwareVersion;
    SimulatedModem::State state = m_modem.GetState();
    state.net.panId = 999;
    state.version = "other";
    m_modem.SetState(state);
    m_modem.AnswerError(kReadLines[GetParam()]);

    EXPECT_EQ(Run(WorkerCommand::ReadDeviceInfo), 1);
    EXPECT_EQ(m_sent, Lines(kReadLines.begin(), kReadLines.begin() + GetParam() + 1));
    EXPECT_EQ(0, std::memcmp(&before, &m_dlg->m_deviceInfo, sizeof before));
    EXPECT_EQ(m_dlg->m_firmwareVersion, versionBefore);
}

INSTANTIATE_TEST_SUITE_P(Queries, ReadFailureTest, testing::Range<size_t>(1, 7),
                         [](const testing::TestParamInfo<size_t>& info) {
                             std::string name = kReadLines[info.param].substr(3);
                             std::erase_if(name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); });
                             return name;
                         });

TEST_F(CommandWorkerTest, ApplyGeneralSendsSevenLinesToAnAnsweringModem)
{
    m_dlg->m_generalPage->m_values = SampleGeneral(0);
    EXPECT_EQ(Run(WorkerCommand::ApplyGeneral), 0);
    EXPECT_EQ(m_sent, GeneralLines(0));
    EXPECT_EQ(m_quietAfter, 0);
}

TEST_F(CommandWorkerTest, ApplyGeneralToAQuietModemFirstMakesItAnswer)
{
    ReadAsQuiet();
    m_dlg->m_generalPage->m_values = SampleGeneral(0);
    EXPECT_EQ(Run(WorkerCommand::ApplyGeneral), 0);
    Lines expected = GeneralLines(0);
    expected.insert(expected.begin(), "AT+QM=0\r");
    EXPECT_EQ(m_sent, expected);
    EXPECT_EQ(m_quietAfter, 0);
}

TEST_F(CommandWorkerTest, ApplyGeneralStopsAtTheFirstFailingStep)
{
    m_modem.AnswerError("AT+RFCH=");
    m_dlg->m_generalPage->m_values = SampleGeneral(0);
    EXPECT_EQ(Run(WorkerCommand::ApplyGeneral), 1);
    const Lines all = GeneralLines(0);
    EXPECT_EQ(m_sent, Lines(all.begin(), all.begin() + 4));
}

TEST_F(CommandWorkerTest, ApplyGeneralWithAPanIdTheClientRefusesFailsAfterTheOperationMode)
{
    GeneralInfoValues values = SampleGeneral(0);
    values.net.panId = 0xFFFF;
    m_dlg->m_generalPage->m_values = values;
    EXPECT_EQ(Run(WorkerCommand::ApplyGeneral), 1);
    EXPECT_EQ(m_sent, Lines{"AT+OPMODE=2\r"});
}

// The closing quiet-mode step: only silence while asking the modem to speak fails it.
struct ClosingCase
{
    const char* name;
    uint8_t pageQuietMode;
    SimulatedModem::Reply reply;
    int result;
    uint8_t quietModeAfter;
};

class GeneralClosingStepTest : public CommandWorkerTest, public testing::WithParamInterface<ClosingCase>
{
};

TEST_P(GeneralClosingStepTest, DecidesTheResultAndTheStoredQuietMode)
{
    const ClosingCase& c = GetParam();
    m_dlg->m_deviceInfo.quietMode = 0;
    SimulatedModem::Script script;
    script.prefix = "AT+QM=";
    script.reply = c.reply;
    m_modem.AddScript(script);
    m_dlg->m_generalPage->m_values = SampleGeneral(c.pageQuietMode);
    EXPECT_EQ(Run(WorkerCommand::ApplyGeneral), c.result);
    EXPECT_EQ(m_sent, GeneralLines(c.pageQuietMode));
    EXPECT_EQ(m_quietAfter, c.quietModeAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GeneralClosingStepTest,
    testing::Values(ClosingCase{"QuietSilent", 1, SimulatedModem::Reply::Silent, 0, 1},
                    ClosingCase{"SpeakingSilent", 0, SimulatedModem::Reply::Silent, 1, 0},
                    ClosingCase{"SpeakingError", 0, SimulatedModem::Reply::Error, 0, 0},
                    ClosingCase{"QuietError", 1, SimulatedModem::Reply::Error, 0, 1}),
    CaseName());

TEST_F(CommandWorkerTest, ApplyGpioSendsThirteenConfigurationsAndThePeriodicReport)
{
    m_dlg->m_gpioPage->m_settings = SampleGpio();
    EXPECT_EQ(Run(WorkerCommand::ApplyGpio), 0);
    EXPECT_EQ(m_sent, GpioLines());
}

TEST_F(CommandWorkerTest, ApplyGpioOnAQuietModemEndsQuietAgainAndASilentAnswerCounts)
{
    ReadAsQuiet();
    m_dlg->m_gpioPage->m_settings = SampleGpio();
    EXPECT_EQ(Run(WorkerCommand::ApplyGpio), 0);  // "AT+QM=1" is never answered
    Lines expected = GpioLines();
    expected.insert(expected.begin(), "AT+QM=0\r");
    expected.push_back("AT+QM=1\r");
    EXPECT_EQ(m_sent, expected);
    EXPECT_EQ(m_quietAfter, 1);
}

TEST_F(CommandWorkerTest, ApplyGpioOnAQuietModemFailsWhenGoingQuietIsRefused)
{
    ReadAsQuiet();
    m_modem.AnswerError("AT+QM=1\r");
    m_dlg->m_gpioPage->m_settings = SampleGpio();
    EXPECT_EQ(Run(WorkerCommand::ApplyGpio), 1);
    EXPECT_EQ(m_sent.size(), 1u + 14u + 1u);
}

TEST_F(CommandWorkerTest, ApplyGpioStopsAtTheFirstRefusedGpio)
{
    m_modem.AnswerError("AT+GPIOC=0008,");
    m_dlg->m_gpioPage->m_settings = SampleGpio();
    EXPECT_EQ(Run(WorkerCommand::ApplyGpio), 1);
    const Lines all = GpioLines();
    EXPECT_EQ(m_sent, Lines(all.begin(), all.begin() + 4));
}

std::vector<ConfigItem> SampleFileItems()
{
    const UartSettings uart{38400, 2, 1, 8, 0};
    const GpioEntry gpio{4, 1, 1};
    const PeriodicReport report{250, 0, {0, 0, 0}};
    return {Item(CommandId::SetOpMode, uint8_t{3}),     Item(CommandId::SetNetRole, uint8_t{2}),
            Item(CommandId::SetPanId, uint16_t{77}),    Item(CommandId::SetRfChannel, uint8_t{9}),
            Item(27, uint8_t{5}),                       Item(CommandId::SetQuietMode, uint8_t{0}),
            Item(CommandId::SetUart, &uart, sizeof uart), Item(CommandId::SetGpioConfig, &gpio, sizeof gpio),
            Item(CommandId::SetGpioPeriodic, &report, sizeof report), Item(40, uint8_t{1})};
}

const Lines kFileLines = {"AT+OPMODE=3\r", "AT+NETROLE=2\r",        "AT+PANID=77\r",
                          "AT+RFCH=9\r",   "AT+UART=38400,1,2,8\r", "AT+GPIOC=0010,1,1\r",
                          "AT+GPIOP=250,0\r", "AT+QM=0\r"};

TEST_F(CommandWorkerTest, ApplyConfigFileSendsTheItemsInOrderAndTheQuietModeLast)
{
    m_dlg->m_fileItems = SampleFileItems();
    EXPECT_EQ(Run(WorkerCommand::ApplyConfigFile), 0);
    EXPECT_EQ(m_sent, kFileLines);
}

TEST_F(CommandWorkerTest, ApplyConfigFileWithoutItemsSendsNothingToAnAnsweringModem)
{
    m_dlg->m_fileItems.clear();
    EXPECT_EQ(Run(WorkerCommand::ApplyConfigFile), 0);
    EXPECT_TRUE(m_sent.empty());
}

TEST_F(CommandWorkerTest, ApplyConfigFileWithoutItemsOnAQuietModemLeavesAndReentersQuietMode)
{
    ReadAsQuiet();
    m_modem.AnswerWith("AT+QM=1\r", "\r\nOK\r\n", 1);
    m_dlg->m_fileItems.clear();
    EXPECT_EQ(Run(WorkerCommand::ApplyConfigFile), 0);
    EXPECT_EQ(m_sent, (Lines{"AT+QM=0\r", "AT+QM=1\r"}));
    EXPECT_EQ(m_quietAfter, 1);
}

TEST_F(CommandWorkerTest, ApplyConfigFileOnAQuietModemThatStaysQuietSendsNoItem)
{
    ReadAsQuiet();
    m_modem.AnswerError("AT+QM=0\r");
    m_dlg->m_fileItems = SampleFileItems();
    EXPECT_EQ(Run(WorkerCommand::ApplyConfigFile), 1);
    EXPECT_EQ(m_sent, Lines{"AT+QM=0\r"});
}

// The failure code names the kind of the first refused item; the walk stops there, and
// a quiet-mode item behind it is not seen.
struct ItemFailure
{
    const char* name;
    const char* refused;
    int code;
};

class ConfigFileFailureTest : public CommandWorkerTest, public testing::WithParamInterface<ItemFailure>
{
};

TEST_P(ConfigFileFailureTest, ReportsTheFailingKindAndStopsTheWalk)
{
    m_modem.AnswerError(GetParam().refused);
    std::vector<ConfigItem> items = SampleFileItems();
    // The quiet-mode item goes to the end, so no failure lets the walk reach it.
    items.erase(items.begin() + 5);
    items.push_back(Item(CommandId::SetQuietMode, uint8_t{1}));
    m_dlg->m_fileItems = items;

    EXPECT_EQ(Run(WorkerCommand::ApplyConfigFile), GetParam().code);
    const Lines sent = m_sent;
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back().rfind(GetParam().refused, 0), 0u) << sent.back();
    const auto failing = std::find_if(kFileLines.begin(), kFileLines.end(), [&](const std::string& line) {
        return line.rfind(GetParam().refused, 0) == 0;
    });
    EXPECT_EQ(sent, Lines(kFileLines.begin(), failing + 1));
    EXPECT_EQ(m_quietAfter, 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ConfigFileFailureTest,
                         testing::Values(ItemFailure{"OpMode", "AT+OPMODE=", 2},
                                         ItemFailure{"NetRole", "AT+NETROLE=", 3},
                                         ItemFailure{"RfChannel", "AT+RFCH=", 4},
                                         ItemFailure{"PanId", "AT+PANID=", 5},
                                         ItemFailure{"Uart", "AT+UART=", 6},
                                         ItemFailure{"GpioConfig", "AT+GPIOC=", 7},
                                         ItemFailure{"GpioPeriodic", "AT+GPIOP=", 8}),
                         CaseName());

TEST_F(CommandWorkerTest, ApplyConfigFileRunsTheClosingStepAfterAFailingItemOnAQuietModem)
{
    ReadAsQuiet();
    m_modem.AnswerError("AT+RFCH=");
    m_modem.AnswerWith("AT+QM=1\r", "\r\nOK\r\n", 1);
    m_dlg->m_fileItems = SampleFileItems();
    EXPECT_EQ(Run(WorkerCommand::ApplyConfigFile), 4);
    EXPECT_EQ(m_sent,
              (Lines{"AT+QM=0\r", "AT+OPMODE=3\r", "AT+NETROLE=2\r", "AT+PANID=77\r", "AT+RFCH=9\r", "AT+QM=1\r"}));
}

TEST_F(CommandWorkerTest, ApplyConfigFileWhoseClosingStepGoesUnansweredWhileSpeakingFails)
{
    m_modem.AnswerError("AT+RFCH=");
    m_modem.StaySilent("AT+QM=");
    std::vector<ConfigItem> items = SampleFileItems();
    items.insert(items.begin(), Item(CommandId::SetQuietMode, uint8_t{0}));
    m_dlg->m_fileItems = items;
    m_dlg->m_deviceInfo.quietMode = 0;
    EXPECT_EQ(Run(WorkerCommand::ApplyConfigFile), 1);  // the closing step's failure wins
    EXPECT_EQ(m_sent.back(), "AT+QM=0\r");
}

// Restart and factory reset ignore what comes back: a silent modem costs their time-out.
class ResetTest : public CommandWorkerTest, public testing::WithParamInterface<std::pair<int, const char*>>
{
};

TEST_P(ResetTest, AgainstASilentModemPostsSuccessAfterItsTimeOut)
{
    m_modem.StaySilent("AT");
    m_rig.answers.comOk = false;  // no reconnect afterwards
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run(GetParam().first), 0);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 950ms);
    EXPECT_LT(took, 1900ms);
    EXPECT_EQ(m_sent, Lines{GetParam().second});
    EXPECT_TRUE(PumpUntil([&] { return !m_dlg->IsPortOpen(); }, 5s));
}

INSTANTIATE_TEST_SUITE_P(Commands, ResetTest,
                         testing::Values(std::pair{int(WorkerCommand::RestartDevice), "ATZ\r"},
                                         std::pair{int(WorkerCommand::FactoryReset), "AT&F\r"}),
                         [](const testing::TestParamInfo<std::pair<int, const char*>>& info) {
                             return std::string(info.param.first == WorkerCommand::RestartDevice ? "Restart"
                                                                                                  : "FactoryReset");
                         });

TEST_F(CommandWorkerTest, ValuesOutsideTheTableAreTakenAndIgnored)
{
    for (int value : {2, 6, 0, 10, -5})
    {
        m_dlg->PostCommand(value, false);
        EXPECT_TRUE(PumpUntil([&] { return !m_dlg->m_busy; }, 5s)) << value;
    }
    EXPECT_EQ(Run(WorkerCommand::ReadDeviceInfo), 0);  // the worker still serves the queue
    EXPECT_EQ(m_rig.results.size(), 2u);
    EXPECT_EQ(m_sent, kReadLines);
    EXPECT_FALSE(m_dlg->m_busy);
}

TEST_F(CommandWorkerTest, CommandsQueuedTogetherRunInOrderEachWithItsOwnResult)
{
    m_dlg->m_generalPage->m_values = SampleGeneral(0);
    m_dlg->m_gpioPage->m_settings = SampleGpio();
    m_dlg->PostCommand(WorkerCommand::ApplyGeneral, false);
    m_dlg->PostCommand(WorkerCommand::ApplyGpio, false);
    m_dlg->PostCommand(WorkerCommand::ReadDeviceInfo, false);
    ASSERT_TRUE(m_rig.WaitForResults(4));
    EXPECT_EQ(m_rig.results[1], Result(4, 0));
    EXPECT_EQ(m_rig.results[2], Result(5, 0));
    EXPECT_EQ(m_rig.results[3], Result(3, 0));
    Lines expected = GeneralLines(0);
    for (const Lines& more : {GpioLines(), kReadLines})
        expected.insert(expected.end(), more.begin(), more.end());
    EXPECT_EQ(m_modem.Commands(), expected);
}

// The worker holds the queue while a command runs: queuing waits for it (the designed
// stall of the UI thread), and the quit command clears only what was not yet taken.
TEST_F(CommandWorkerTest, QueuingWaitsWhileACommandRuns)
{
    m_modem.StaySilent("AT+OPMODE=", 1);
    m_dlg->m_generalPage->m_values = SampleGeneral(0);
    m_dlg->PostCommand(WorkerCommand::ApplyGeneral, false);
    ASSERT_TRUE(m_modem.WaitForCommands(1, 5s));
    const auto start = std::chrono::steady_clock::now();
    m_dlg->PostCommand(WorkerCommand::ReadDeviceInfo, false);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1500ms);
    ASSERT_TRUE(m_rig.WaitForResults(3));
    EXPECT_EQ(m_rig.results[1], Result(4, 1));
    EXPECT_EQ(m_rig.results[2], Result(3, 0));
}

TEST_F(CommandWorkerTest, ClosingThePortEndsARunningCommandAtOnce)
{
    m_modem.StaySilent("AT+GPIOC=0010,");
    m_dlg->m_gpioPage->m_settings = SampleGpio();
    m_dlg->PostCommand(WorkerCommand::ApplyGpio, false);
    ASSERT_TRUE(m_modem.WaitForCommands(5, 5s));
    const auto start = std::chrono::steady_clock::now();
    m_dlg->ClosePort();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_FALSE(m_dlg->m_worker.joinable());
    EXPECT_FALSE(m_dlg->m_busy);
    ASSERT_TRUE(m_rig.WaitForResults(2));
    EXPECT_EQ(m_rig.results[1], Result(5, 1));
    EXPECT_EQ(m_modem.CommandCount(), 5u);
}

}  // namespace
