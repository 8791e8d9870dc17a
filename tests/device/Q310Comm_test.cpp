// The AT client: reply parsing and framing on byte strings, and transactions over a real
// pseudo-terminal against the simulated modem.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/Q310Comm.h"
#include "serial/IoServiceExec.h"
#include "support/CaseName.h"
#include "support/SimulatedModem.h"
#include "support/Watchdog.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }
std::string Framed(const std::string& body) { return "\r\n" + body + "\r\n"; }

std::vector<uint8_t> PayloadOf(const Q310Response& record)
{
    return {record.payload, record.payload + record.payloadLength};
}

long long MsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// ---- ParseResponse ----------------------------------------------------------------------

struct ParseCase
{
    const char* name;
    std::string frame;  // the whole frame, CR LF included
    uint32_t type;
    std::vector<uint8_t> payload;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

const std::vector<uint8_t> kAddress = {0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01};

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const ParseCase kParseCases[] = {
    {"Ok", Framed("OK"), ResponseType::Ok, {}},
    {"Error", Framed("ERROR"), ResponseType::Error, {}},
    {"Ready", Framed("+READY"), ResponseType::Ready, {}},
    {"ReadyDebugMode", Framed("+READY DEBUG MODE"), ResponseType::Ready, {}},
    {"ReadyWithTail", Framed("+READYX"), ResponseType::BadFrame, {}},
    {"UnknownKeyword", Framed("+FOO"), ResponseType::BadFrame, {}},
    {"FourBytes", "\r\n\r\n", ResponseType::BadFrame, {}},
    {"NoClosingCrLf", "\r\nOK  ", ResponseType::BadFrame, {}},
    {"NoOpeningCrLf", "  OK\r\n", ResponseType::BadFrame, {}},
    {"FrameOf256Bytes", Framed("+VER," + std::string(247, 'v')), ResponseType::FrameTooLong, {}},
    {"FrameOf255Bytes", Framed("+VER," + std::string(246, 'v')), ResponseType::Version,
     std::vector<uint8_t>(246, 'v')},
    {"ActiveAddress", Framed("+ACTIVE,0123456789ABCDEF"), ResponseType::Active, kAddress},
    {"ActiveAddressLowerCase", Framed("+ACTIVE,0123456789abcdef"), ResponseType::Active, kAddress},
    {"ActiveAddressNotHex", Framed("+ACTIVE,0123456789ABCDEG"), ResponseType::BadActiveAddress, {}},
    {"ActiveAddressShort", Framed("+ACTIVE,0123"), ResponseType::BadFrame, {}},
    {"InactiveAddress", Framed("+INACTIVE,0123456789abcdef"), ResponseType::Inactive, kAddress},
    {"InactiveAddressNotHex", Framed("+INACTIVE,0123456789ABCDEZ"), ResponseType::BadInactiveAddress, {}},
    {"ActiveAlone", Framed("+ACTIVE"), ResponseType::Active, {}},
    {"InactiveAlone", Framed("+INACTIVE"), ResponseType::Inactive, {}},
    {"Info", Framed("+INFO,0123456789ABCDEF,MULTICMD,DEV,INACT,0"), ResponseType::Info,
     Concat(kAddress, {4, 2, 1, 0})},
    {"InfoP2pCommandInfo", Framed("+INFO,0123456789ABCDEF,P2PCMD,COORD,ACT,1"), ResponseType::Info,
     Concat(kAddress, {2, 1, 0, 1})},
    {"InfoWordWrongCase", Framed("+INFO,0123456789ABCDEF,P2p,DEV,INACT,0"), ResponseType::BadFrame, {}},
    {"InfoAddressNotChecked", Framed("+INFO,0123456789ABCDZZ,MULTICMD,DEV,INACT,0"), ResponseType::Info,
     {0x00, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01, 4, 2, 1, 0}},
    {"InfoAddressOf15", Framed("+INFO,0123456789ABCDE,MULTICMD,DEV,INACT,0"), ResponseType::BadFrame, {}},
    {"InfoFieldMissing", Framed("+INFO,0123456789ABCDEF,MULTICMD,DEV"), ResponseType::BadFrame, {}},
    {"InfoModeFlagTwo", Framed("+INFO,0123456789ABCDEF,MULTI,DEV,ACT,2"), ResponseType::BadFrame, {}},
    {"NetInfo", Framed("+NETINFO,13,0,65534,FH"), ResponseType::NetInfo, {13, 0, 0xFE, 0xFF, 1, 0}},
    {"NetInfoPhy0", Framed("+NETINFO,0,0,1,BC"), ResponseType::BadFrame, {}},
    {"NetInfoPhy14", Framed("+NETINFO,14,0,1,BC"), ResponseType::BadFrame, {}},
    {"NetInfoChannelMinus1", Framed("+NETINFO,1,-1,1,BC"), ResponseType::BadFrame, {}},
    {"NetInfoChannel129", Framed("+NETINFO,1,129,1,BC"), ResponseType::BadFrame, {}},
    {"NetInfoChannel257", Framed("+NETINFO,1,257,1,BC"), ResponseType::BadFrame, {}},
    {"NetInfoPan0", Framed("+NETINFO,1,0,0,BC"), ResponseType::BadFrame, {}},
    {"NetInfoPan65535", Framed("+NETINFO,1,0,65535,BC"), ResponseType::BadFrame, {}},
    {"NetInfoBadMode", Framed("+NETINFO,1,0,1,bc"), ResponseType::BadFrame, {}},
    {"RfChannel257", Framed("+RFCH,257"), ResponseType::RfChannel, {1}},
    {"RfChannel0", Framed("+RFCH,0"), ResponseType::BadFrame, {}},
    {"RfChannel128", Framed("+RFCH,128"), ResponseType::RfChannel, {128}},
    {"PanId65536", Framed("+PANID,65536"), ResponseType::PanId, {0, 0}},
    {"PanId65537", Framed("+PANID,65537"), ResponseType::PanId, {1, 0}},
    {"PanIdNoDigits", Framed("+PANID,abc"), ResponseType::PanId, {0, 0}},
    {"PanIdSpaceSignTail", Framed("+PANID, \t+42x"), ResponseType::PanId, {42, 0}},
    {"PanIdTwoSigns", Framed("+PANID,+-5"), ResponseType::PanId, {0, 0}},
    {"PanIdAbove32Bits", Framed("+PANID,99999999999"), ResponseType::PanId, {0xFF, 0xFF}},
    {"PanIdBelow32Bits", Framed("+PANID,-99999999999"), ResponseType::PanId, {0, 0}},
    {"GpioConfig", Framed("+GPIOC,12,2,2"), ResponseType::GpioConfig, {12, 2, 2}},
    {"GpioConfigGpio13", Framed("+GPIOC,13,0,0"), ResponseType::BadFrame, {}},
    {"GpioConfigMode3", Framed("+GPIOC,1,3,0"), ResponseType::BadFrame, {}},
    {"GpioConfigOneField", Framed("+GPIOC,1"), ResponseType::BadFrame, {}},
    {"GpioConfigTwoFields", Framed("+GPIOC,1,2"), ResponseType::BadFrame, {}},
    {"GpioConfigFourFields", Framed("+GPIOC,1,2,0,5"), ResponseType::GpioConfig, {1, 2, 0}},
    {"GpioConfigLow8Bits", Framed("+GPIOC,257,258,256"), ResponseType::GpioConfig, {1, 2, 0}},
    {"GpioPeriodic", Framed("+GPIOP,1000,1"), ResponseType::GpioPeriodic, {0xE8, 0x03, 0, 0, 1, 0, 0, 0}},
    {"GpioPeriodicOneField", Framed("+GPIOP,1000"), ResponseType::BadFrame, {}},
    {"GpioPeriodicFlag2", Framed("+GPIOP,1000,2"), ResponseType::BadFrame, {}},
    {"GpioPeriodicMinus1", Framed("+GPIOP,-1,0"), ResponseType::GpioPeriodic, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}},
    {"GpioPeriodicClampHigh", Framed("+GPIOP,4294967296,0"), ResponseType::GpioPeriodic,
     {0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0}},
    {"GpioPeriodicClampLow", Framed("+GPIOP,-4294967296,0"), ResponseType::GpioPeriodic,
     {0, 0, 0, 0x80, 0, 0, 0, 0}},
    {"RtStatus2", Framed("+RTSTATUS,2"), ResponseType::RfChannel, {2}},
    {"RtStatus3", Framed("+RTSTATUS,3"), ResponseType::BadFrame, {}},
    {"RtRssiNegative", Framed("+RTRSSI,-70"), ResponseType::Rssi, {186}},
    {"PhyId", Framed("+PHYID,5"), ResponseType::PhyId, {5, 0}},
    {"QuietMode2", Framed("+QM,2"), ResponseType::QuietMode, {1}},
    {"QuietMode256", Framed("+QM,256"), ResponseType::QuietMode, {0}},
    {"QuietModeOff", Framed("+QM,0"), ResponseType::QuietMode, {0}},
    {"VersionWithComma", Framed("+VER,1.2.3,build 7"), ResponseType::Version, Bytes("1.2.3,build 7")},
    {"VersionEmpty", Framed("+VER,"), ResponseType::Version, {}},
};

class ParseResponseTest : public ::testing::TestWithParam<ParseCase>
{
protected:
    Q310Comm comm;
};

TEST_P(ParseResponseTest, GivesTypeAndPayload)
{
    const ParseCase& c = GetParam();
    const Q310ResponsePtr record = comm.ParseResponse(Bytes(c.frame));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->type, c.type);
    EXPECT_EQ(record->payloadLength, c.payload.size());
    EXPECT_EQ(PayloadOf(*record), c.payload);
}

INSTANTIATE_TEST_SUITE_P(Replies, ParseResponseTest, ::testing::ValuesIn(kParseCases),
                         CaseName());

// ---- ExtractResponse --------------------------------------------------------------------

struct ExtractStep
{
    uint32_t type;
    std::string remaining;  // the buffer after the call
};

struct ExtractCase
{
    const char* name;
    std::string buffer;
    std::vector<ExtractStep> steps;  // successive calls on the same buffer
};

void PrintTo(const ExtractCase& c, std::ostream* os) { *os << c.name; }

const ExtractCase kExtractCases[] = {
    {"EmptyBuffer", "", {{ResponseType::Empty, ""}}},
    {"TwoFrames", "\r\nOK\r\n\r\nERROR\r\n", {{ResponseType::Ok, "\r\nERROR\r\n"}, {ResponseType::Error, ""}}},
    {"IncompleteFrameStays", "\r\nOK", {{ResponseType::BadFrame, "\r\nOK"}}},
    {"ClosingCrStillMissingLf", "\r\nOK\r", {{ResponseType::BadFrame, "\r\nOK\r"}}},
    {"LeadingLineFeedsRemoved", "\n\n\r\nOK", {{ResponseType::BadFrame, "\r\nOK"}}},
    {"StrayTextIsAFrame", "xy\r\nOK\r\n", {{ResponseType::BadFrame, "\r\nOK\r\n"}, {ResponseType::Ok, ""}}},
    {"StrayByteSkipped", "x\r\nOK\r\n", {{ResponseType::Ok, ""}}},
    {"EmptyLineSkipped", "\r\n\r\nOK\r\n", {{ResponseType::Ok, ""}}},
    {"LongStrayText", std::string(300, 'a') + "\r\nOK\r\n",
     {{ResponseType::FrameTooLong, "\r\nOK\r\n"}, {ResponseType::Ok, ""}}},
    {"LettersWithoutCr", "abcdefgh", {{ResponseType::BadFrame, "abcdefgh"}}},
    {"LoneCrSkipped", "\rX\r\nOK\r\n", {{ResponseType::Ok, ""}}},
    {"CrInsideLine", "\r\nOK\rX\r\n", {{ResponseType::BadFrame, "\rX\r\n"}, {ResponseType::BadFrame, "\r\n"}}},
    {"UnsolicitedThenReply", "\r\n+READY\r\n\r\n+QM,1\r\n",
     {{ResponseType::Ready, "\r\n+QM,1\r\n"}, {ResponseType::QuietMode, ""}}},
    {"RefusedFrameConsumed", "\r\n+FOO\r\n\r\nOK\r\n", {{ResponseType::BadFrame, "\r\nOK\r\n"}, {ResponseType::Ok, ""}}},
};

class ExtractResponseTest : public ::testing::TestWithParam<ExtractCase>
{
protected:
    Q310Comm comm;
};

TEST_P(ExtractResponseTest, CutsOneFrameAtATime)
{
    const ExtractCase& c = GetParam();
    std::vector<uint8_t> buffer = Bytes(c.buffer);
    for (std::size_t i = 0; i < c.steps.size(); ++i)
    {
        SCOPED_TRACE("call " + std::to_string(i + 1));
        const Q310ResponsePtr record = comm.ExtractResponse(buffer);
        ASSERT_TRUE(record);
        EXPECT_EQ(record->type, c.steps[i].type);
        EXPECT_EQ(std::string(buffer.begin(), buffer.end()), c.steps[i].remaining);
    }
}

INSTANTIATE_TEST_SUITE_P(Buffers, ExtractResponseTest, ::testing::ValuesIn(kExtractCases),
                         CaseName());

// ---- static helpers -----------------------------------------------------------------------

TEST(Q310CommHelpers, NewResponseIsZeroFilledWithLow16BitLength)
{
    const Q310ResponsePtr record = Q310Comm::NewResponse(39);
    EXPECT_EQ(record->type, ResponseType::Ready);
    EXPECT_EQ(record->payloadLength, 39);
    EXPECT_EQ(PayloadOf(*record), std::vector<uint8_t>(39, 0));
    EXPECT_EQ(Q310Comm::NewResponse(0x10003)->payloadLength, 3);
}

TEST(Q310CommHelpers, HexToExtAddressReadsPairsAndUpperCasesInPlace)
{
    char text[] = "1xx1abcdef012345";
    uint8_t address[8];
    std::memset(address, 0xAA, sizeof address);
    Q310Comm::HexToExtAddress(text, address);
    // Pairs most significant first: "1x" keeps its high nibble, "x1" stops at once.
    const uint8_t expected[8] = {0x45, 0x23, 0x01, 0xEF, 0xCD, 0xAB, 0x00, 0x10};
    EXPECT_EQ(std::memcmp(address, expected, 8), 0);
    EXPECT_STREQ(text, "1XX1ABCDEF012345");
}

TEST(Q310CommHelpers, MatchPrefixComparesOnlyThePrefixLength)
{
    const char text[] = {'\r', '\n', 'O', 'K', '\r', '\n'};  // no NUL
    EXPECT_EQ(Q310Comm::MatchPrefix(text, sizeof text, "\r\nOK\r\n"), 0);
    EXPECT_EQ(Q310Comm::MatchPrefix(text, 4, "\r\nOK"), 0);
    EXPECT_EQ(Q310Comm::MatchPrefix(text, 4, "\r\nOK\r\n"), -1);
    EXPECT_LT(Q310Comm::MatchPrefix(text, sizeof text, "\r\nOL"), 0);
    EXPECT_GT(Q310Comm::MatchPrefix(text, sizeof text, "\r\nOJ"), 0);
}

// ---- transactions over the line -------------------------------------------------------------

// One simulated modem on a pseudo-terminal, the client's port open on its slave side.
class Q310CommLine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(comm.Open(modem.SlavePath(), 115200, 8, 0, 0));
    }

    void TearDown() override { comm.Close(); }

    Q310ResponsePtr Run(const std::string& line, uint32_t commandId, uint32_t timeoutMs)
    {
        return comm.Transact(line.data(), static_cast<uint16_t>(line.size()), commandId, timeoutMs);
    }
    Q310ResponsePtr Run(const std::string& line, uint32_t commandId)
    {
        return Run(line, commandId, Q310Comm::TimeoutMs(commandId));
    }

    Watchdog watchdog{30s, "a line test"};
    SimulatedModem modem;
    Q310Comm comm;
};

TEST_F(Q310CommLine, PingIsAnsweredOkAndTheLineIsSentAsIs)
{
    const Q310ResponsePtr record = Run("AT\r", CommandId::Ping);
    EXPECT_EQ(record->type, ResponseType::Ok);
    EXPECT_EQ(record->payloadLength, 0);
    EXPECT_EQ(modem.Commands(), std::vector<std::string>{"AT\r"});
}

TEST_F(Q310CommLine, QueriesReturnTheModemsSettings)
{
    SimulatedModem::State state = SimulatedModem::FactoryState();
    state.info.opMode = 4;
    state.net = {13, 128, 65534, 1, 0};
    state.report = {60000, 1, {0, 0, 0}};
    state.quietMode = 0;
    state.version = "2.0.1,rc 3";
    modem.SetState(state);

    const Q310ResponsePtr info = Run("AT+INFO?\r", CommandId::QueryInfo);
    ASSERT_EQ(info->type, ResponseType::Info);
    EXPECT_EQ(std::memcmp(info->payload, &state.info, sizeof(InfoData)), 0);

    const Q310ResponsePtr net = Run("AT+NETINFO?\r", CommandId::QueryNetInfo);
    ASSERT_EQ(net->type, ResponseType::NetInfo);
    EXPECT_EQ(std::memcmp(net->payload, &state.net, sizeof(NetInfo)), 0);

    const Q310ResponsePtr report = Run("AT+GPIOP?\r", CommandId::QueryGpioPeriodic);
    ASSERT_EQ(report->type, ResponseType::GpioPeriodic);
    EXPECT_EQ(std::memcmp(report->payload, &state.report, sizeof(PeriodicReport)), 0);

    const Q310ResponsePtr quiet = Run("AT+QM?\r", CommandId::QueryQuietMode);
    ASSERT_EQ(quiet->type, ResponseType::QuietMode);
    EXPECT_EQ(PayloadOf(*quiet), std::vector<uint8_t>{0});

    const Q310ResponsePtr version = Run("AT+VER?\r", CommandId::QueryVersion);
    ASSERT_EQ(version->type, ResponseType::Version);
    EXPECT_EQ(PayloadOf(*version), Bytes("2.0.1,rc 3"));
}

TEST_F(Q310CommLine, ClosedPortAnswersPortNotOpenAtOnceAndSendsNothing)
{
    comm.Close();
    const auto start = Clock::now();
    const Q310ResponsePtr record = Run("AT\r", CommandId::Ping);
    EXPECT_EQ(record->type, ResponseType::PortNotOpen);
    EXPECT_LT(MsSince(start), 50);

    Q310Comm neverOpened;
    EXPECT_EQ(neverOpened.Transact("AT\r", 3, CommandId::Ping, 2000)->type, ResponseType::PortNotOpen);
    EXPECT_FALSE(modem.WaitForCommands(1, 100ms));
}

TEST_F(Q310CommLine, OkToAnInfoQueryIsIgnoredUntilTheInfoLine)
{
    modem.AnswerWith("AT+INFO?", Framed("OK") + Framed("+INFO,0123456789ABCDEF,MULTI,COORD,ACT,1"), 1);
    const Q310ResponsePtr info = Run("AT+INFO?\r", CommandId::QueryInfo);
    ASSERT_EQ(info->type, ResponseType::Info);
    EXPECT_EQ(PayloadOf(*info), Concat(kAddress, {3, 1, 0, 1}));

    modem.AnswerWith("AT+INFO?", Framed("OK"), 1);
    EXPECT_EQ(Run("AT+INFO?\r", CommandId::QueryInfo, 200)->type, ResponseType::Timeout);
}

TEST_F(Q310CommLine, UnsolicitedLinesAndStrayBytesDoNotEndATransaction)
{
    SimulatedModem::Script script;
    script.prefix = "AT+QM?";
    script.before = Framed("+READY") + Framed("+ACTIVE,0123456789ABCDEF") + "\n\rz" + Framed("+INACTIVE") +
                    "garbage" + Framed("OK");
    script.after = Framed("+ACTIVE");
    modem.AddScript(script);
    const Q310ResponsePtr record = Run("AT+QM?\r", CommandId::QueryQuietMode);
    EXPECT_EQ(record->type, ResponseType::QuietMode);
}

TEST_F(Q310CommLine, LateReplyAfterStrayBytesStillEndsTheWait)
{
    modem.StaySilent("AT+QM?", 1);
    std::future<uint32_t> result = std::async(std::launch::async, [this] {
        return Run("AT+QM?\r", CommandId::QueryQuietMode)->type;
    });
    ASSERT_TRUE(modem.WaitForCommands(1, 2000ms));
    modem.Send("\x01\xff\n");
    std::this_thread::sleep_for(30ms);  // let the stray bytes arrive on their own
    modem.Send("noise\r\n\r\n+QM,1\r\n");
    EXPECT_EQ(result.get(), ResponseType::QuietMode);
}

TEST_F(Q310CommLine, ReplySplitAcrossManyReadsIsReassembled)
{
    modem.SetChunking(3, 2ms);
    EXPECT_EQ(Run("AT+INFO?\r", CommandId::QueryInfo)->type, ResponseType::Info);
    modem.SetChunking(1, 1ms);
    EXPECT_EQ(Run("AT+NETINFO?\r", CommandId::QueryNetInfo)->type, ResponseType::NetInfo);
}

TEST_F(Q310CommLine, SecondLineOfOneReadIsDroppedByTheNextTransaction)
{
    // The modem answers "+INFO..." and "OK" in one write; the OK must not answer what follows.
    EXPECT_EQ(Run("AT+INFO?\r", CommandId::QueryInfo)->type, ResponseType::Info);
    modem.StaySilent("AT+QM=");
    EXPECT_EQ(Run("AT+QM=0\r", CommandId::SetQuietMode, 150)->type, ResponseType::Timeout);
}

TEST_F(Q310CommLine, UnknownCommandIdAcceptsNoReply)
{
    EXPECT_EQ(Run("AT\r", 6, 150)->type, ResponseType::Timeout);
}

TEST_F(Q310CommLine, TimeoutNeedsStrictlyMoreThanTheLimit)
{
    // With a limit of 0 the first pass still reads: an elapsed 0 ms is not "more than 0".
    bool answered = false;
    for (int attempt = 0; attempt < 20 && !answered; ++attempt)
        answered = Run("AT\r", CommandId::Ping, 0)->type == ResponseType::Ok;
    EXPECT_TRUE(answered);

    modem.StaySilent("AT\r");
    const auto start = Clock::now();
    EXPECT_EQ(Run("AT\r", CommandId::Ping, 100)->type, ResponseType::Timeout);
    const long long elapsed = MsSince(start);
    EXPECT_GE(elapsed, 101);
    EXPECT_LT(elapsed, 1000);
}

std::string GpioLines(const std::vector<std::array<int, 3>>& entries)
{
    std::string lines;
    for (const auto& e : entries)
        lines += Framed("+GPIOC," + std::to_string(e[0]) + "," + std::to_string(e[1]) + "," +
                        std::to_string(e[2]));
    return lines;
}

TEST_F(Q310CommLine, GpioQueryGathersThirteenLinesIntoOneRecord)
{
    SimulatedModem::State state = SimulatedModem::FactoryState();
    for (uint8_t i = 0; i < kGpioCount; ++i)
        state.gpio[i] = {i, static_cast<uint8_t>(i % 3), static_cast<uint8_t>(i == 2 ? 1 : 0)};
    modem.SetState(state);
    const Q310ResponsePtr record = Run("AT+GPIOC?\r", CommandId::QueryGpioConfig);
    ASSERT_EQ(record->type, ResponseType::GpioConfig);
    ASSERT_EQ(record->payloadLength, 39);
    EXPECT_EQ(std::memcmp(record->payload, state.gpio, 39), 0);
}

TEST_F(Q310CommLine, GpioQueryRepeatOverwritesAndMissingGpioStaysZero)
{
    std::vector<std::array<int, 3>> lines;
    for (int i = 0; i < kGpioCount; ++i)
        if (i != 7)
            lines.push_back({i, 1, 1});
    lines.insert(lines.begin() + 3, {5, 0, 2});  // an early GPIO 5, overwritten later
    // 13 lines: GPIO 5 twice, GPIO 7 never; other replies in between are ignored.
    const std::string reply = GpioLines({lines.begin(), lines.begin() + 6}) + Framed("ERROR") +
                              Framed("+READY") + GpioLines({lines.begin() + 6, lines.end()});
    modem.AnswerWith("AT+GPIOC?", reply, 1);
    const Q310ResponsePtr record = Run("AT+GPIOC?\r", CommandId::QueryGpioConfig);
    ASSERT_EQ(record->type, ResponseType::GpioConfig);
    ASSERT_EQ(record->payloadLength, 39);
    const auto* entries = record->payload;
    EXPECT_EQ(std::vector<uint8_t>(entries + 15, entries + 18), (std::vector<uint8_t>{5, 1, 1}));
    EXPECT_EQ(std::vector<uint8_t>(entries + 21, entries + 24), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(entries + 36, entries + 39), (std::vector<uint8_t>{12, 1, 1}));
}

TEST_F(Q310CommLine, GpioQueryWithErrorAndTwelveLinesTimesOutAfterFourSeconds)
{
    std::vector<std::array<int, 3>> lines;
    for (int i = 0; i < 12; ++i)
        lines.push_back({i, 0, 0});
    modem.AnswerWith("AT+GPIOC?", Framed("ERROR") + GpioLines(lines), 1);
    const auto start = Clock::now();
    EXPECT_EQ(Run("AT+GPIOC?\r", CommandId::QueryGpioConfig)->type, ResponseType::Timeout);
    const long long elapsed = MsSince(start);
    EXPECT_GE(elapsed, 4001);
    EXPECT_LT(elapsed, 6000);
}

TEST_F(Q310CommLine, CloseDuringAWaitEndsItAtOnceWithPortClosed)
{
    modem.StaySilent("AT\r");
    std::future<uint32_t> result = std::async(std::launch::async, [this] {
        return Run("AT\r", CommandId::Ping, 5000)->type;
    });
    ASSERT_TRUE(modem.WaitForCommands(1, 2000ms));
    const int countBefore = g_openPortCount;
    const auto start = Clock::now();
    comm.Close();
    EXPECT_EQ(result.get(), ResponseType::PortClosed);
    EXPECT_LT(MsSince(start), 500);
    EXPECT_EQ(g_openPortCount, countBefore - 1);

    comm.Close();  // a second Close changes nothing
    EXPECT_EQ(g_openPortCount, countBefore - 1);
    EXPECT_EQ(Run("AT\r", CommandId::Ping)->type, ResponseType::PortNotOpen);
}

TEST_F(Q310CommLine, OpenWhileOpenReportsBusyAndKeepsTheCount)
{
    const int countBefore = g_openPortCount;
    const std::error_code error = comm.Open(modem.SlavePath(), 115200, 8, 0, 0);
    EXPECT_EQ(error, std::make_error_code(std::errc::device_or_resource_busy));
    EXPECT_EQ(g_openPortCount, countBefore);
    EXPECT_EQ(Run("AT\r", CommandId::Ping)->type, ResponseType::Ok);
}

TEST_F(Q310CommLine, ReopenAfterCloseWorksAgain)
{
    comm.Close();
    ASSERT_FALSE(comm.Open(modem.SlavePath(), 9600, 8, 0, 0));
    EXPECT_EQ(Run("AT\r", CommandId::Ping)->type, ResponseType::Ok);
}

TEST_F(Q310CommLine, SetPanIdRefusesReservedIdsWithoutSending)
{
    for (const uint16_t panId : {uint16_t{0}, uint16_t{0xFFFE}, uint16_t{0xFFFF}})
        EXPECT_EQ(comm.SetPanId(panId), ResponseType::Empty) << panId;
    EXPECT_FALSE(modem.WaitForCommands(1, 100ms));

    EXPECT_EQ(comm.SetPanId(0xFFFD), ResponseType::Ok);
    EXPECT_EQ(modem.Commands(), std::vector<std::string>{"AT+PANID=65533\r"});
    EXPECT_EQ(modem.GetState().net.panId, 0xFFFD);
}

TEST_F(Q310CommLine, SetGpioConfigSendsTheGpioAsAMask)
{
    EXPECT_EQ(comm.SetGpioConfig({3, 1, 0}), ResponseType::Ok);
    EXPECT_EQ(comm.SetGpioConfig({12, 0, 2}), ResponseType::Ok);
    EXPECT_EQ(comm.SetGpioConfig({0, 2, 1}), ResponseType::Error);  // only GPIO 2 inverts
    EXPECT_EQ(modem.Commands(),
              (std::vector<std::string>{"AT+GPIOC=0008,1,0\r", "AT+GPIOC=1000,0,2\r", "AT+GPIOC=0001,2,1\r"}));
    const SimulatedModem::State state = modem.GetState();
    EXPECT_EQ(state.gpio[3].ioMode, 1);
    EXPECT_EQ(state.gpio[12].config, 2);
    EXPECT_EQ(state.gpio[0].ioMode, 0);
}

TEST_F(Q310CommLine, SettingCommandsReportOkOrError)
{
    modem.AnswerError("AT+OPMODE=", 1);
    EXPECT_EQ(Run("AT+OPMODE=3\r", CommandId::SetOpMode)->type, ResponseType::Error);
    EXPECT_EQ(Run("AT+OPMODE=3\r", CommandId::SetOpMode)->type, ResponseType::Ok);
    EXPECT_EQ(modem.GetState().info.opMode, 3);
}

// ---- error callback ---------------------------------------------------------------------------

// Records the error callback's calls; it runs on an I/O thread.
struct ErrorRecorder
{
    void Bind(Q310Comm& comm)
    {
        comm.m_onError = [this](Q310Comm* source, std::error_code& error) {
            std::lock_guard<std::mutex> lock(mutex);
            calls.push_back({source, error});
            changed.notify_all();
        };
    }
    bool WaitForCall(std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, timeout, [this] { return !calls.empty(); });
    }
    std::size_t Count()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return calls.size();
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::pair<Q310Comm*, std::error_code>> calls;
};

// The recorder outlives TearDown's Close, which joins the I/O threads that call it.
class Q310CommErrors : public Q310CommLine
{
protected:
    void SetUp() override
    {
        Q310CommLine::SetUp();
        recorder.Bind(comm);
    }

    ErrorRecorder recorder;
};

TEST_F(Q310CommErrors, ReadErrorWhileOpenGoesToTheErrorCallback)
{
    modem.HangUpOn("AT\r");
    EXPECT_EQ(Run("AT\r", CommandId::Ping, 300)->type, ResponseType::Timeout);
    ASSERT_TRUE(recorder.WaitForCall(2000ms));
    std::lock_guard<std::mutex> lock(recorder.mutex);
    EXPECT_EQ(recorder.calls[0].first, &comm);
    EXPECT_TRUE(recorder.calls[0].second);
}

TEST_F(Q310CommErrors, ReadErrorWhileClosingClosesInsteadOfCallingBack)
{
    comm.Close();  // sets the closing flag
    std::error_code error = std::make_error_code(std::errc::io_error);
    comm.OnSerialRead(comm.m_port, error, {}, 0);
    EXPECT_EQ(recorder.Count(), 0u);
    EXPECT_FALSE(comm.m_port->m_isOpen);
}

TEST_F(Q310CommErrors, WriteErrorGoesToTheErrorCallbackEvenWhileClosing)
{
    std::error_code error = std::make_error_code(std::errc::io_error);
    comm.OnSerialWrite(comm.m_port, error, 0);
    comm.Close();
    comm.OnSerialWrite(comm.m_port, error, 0);
    EXPECT_EQ(recorder.Count(), 2u);
    std::error_code none;
    comm.OnSerialWrite(comm.m_port, none, 3);
    EXPECT_EQ(recorder.Count(), 2u);
}

TEST_F(Q310CommLine, IoErrorWithoutCallbackClosesThePort)
{
    std::error_code error = std::make_error_code(std::errc::io_error);
    comm.OnSerialWrite(comm.m_port, error, 0);
    EXPECT_FALSE(comm.m_port->m_isOpen);
    // The port was closed behind the close sequence's back: give the count back by hand.
    g_ioServiceExec.OnPortClosed();
}

// ---- staging bound -----------------------------------------------------------------------------

TEST(Q310CommStaging, HoldsAtMost1024BytesAndDropsWholeOversizedChunks)
{
    Q310Comm comm;
    std::error_code none;
    comm.OnSerialRead(comm.m_port, none, std::vector<uint8_t>(1000, 'a'), 1000);
    comm.OnSerialRead(comm.m_port, none, std::vector<uint8_t>(100, 'b'), 100);
    EXPECT_EQ(comm.FetchReceived(), 1024);  // only the first 24 of the 100 were kept

    comm.OnSerialRead(comm.m_port, none, std::vector<uint8_t>(1025, 'c'), 1025);
    EXPECT_EQ(comm.FetchReceived(), 0);

    comm.OnSerialRead(comm.m_port, none, std::vector<uint8_t>(1024, 'd'), 1024);
    EXPECT_EQ(comm.FetchReceived(), 2048);
}

}  // namespace
