// The simulated modem's own rules where later tests lean on them: its replies parse as the
// client expects, quiet mode, refused values, factory reset, line pacing and full duplex.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "device/Q310Comm.h"
#include "support/SimulatedModem.h"
#include "support/Watchdog.h"

using namespace std::chrono_literals;

namespace {

std::string Framed(const std::string& body) { return "\r\n" + body + "\r\n"; }

// The reply types the client makes of a reply, in order.
std::vector<uint32_t> TypesOf(const std::string& reply)
{
    Q310Comm comm;
    std::vector<uint8_t> buffer(reply.begin(), reply.end());
    std::vector<uint32_t> types;
    while (!buffer.empty())
        types.push_back(comm.ExtractResponse(buffer)->type);
    return types;
}

struct QueryCase
{
    const char* line;
    std::vector<uint32_t> types;
};

TEST(SimulatedModem, EveryQueryAnswerParsesIntoItsReplyTypeThenOk)
{
    std::vector<uint32_t> gpio(kGpioCount, ResponseType::GpioConfig);
    gpio.push_back(ResponseType::Ok);
    const QueryCase cases[] = {
        {"AT\r", {ResponseType::Ok}},
        {"AT+INFO?\r", {ResponseType::Info, ResponseType::Ok}},
        {"AT+NETINFO?\r", {ResponseType::NetInfo, ResponseType::Ok}},
        {"AT+VER?\r", {ResponseType::Version, ResponseType::Ok}},
        {"AT+GPIOC?\r", gpio},
        {"AT+GPIOP?\r", {ResponseType::GpioPeriodic, ResponseType::Ok}},
        {"AT+QM?\r", {ResponseType::QuietMode, ResponseType::Ok}},
        {"ATZ\r", {ResponseType::Ok, ResponseType::Ready}},
        {"AT&F\r", {ResponseType::Ok, ResponseType::Ready}},
        {"AT+BOGUS\r", {ResponseType::Error}},
    };
    for (const QueryCase& c : cases)
    {
        SimulatedModem::State state = SimulatedModem::FactoryState();
        EXPECT_EQ(TypesOf(SimulatedModem::Answer(state, c.line)), c.types) << c.line;
    }
}

TEST(SimulatedModem, QuietModemAnswersOnlyQuietModeQueriesAndLeavingQuietMode)
{
    SimulatedModem::State state = SimulatedModem::FactoryState();
    EXPECT_EQ(SimulatedModem::Answer(state, "AT+QM=1\r"), "");  // quiet at once
    EXPECT_EQ(state.quietMode, 1);
    EXPECT_EQ(SimulatedModem::Answer(state, "AT\r"), "");
    EXPECT_EQ(SimulatedModem::Answer(state, "AT+INFO?\r"), "");
    EXPECT_EQ(SimulatedModem::Answer(state, "AT+OPMODE=3\r"), "");
    EXPECT_EQ(state.info.opMode, 3);  // carried out all the same
    EXPECT_EQ(SimulatedModem::Answer(state, "AT+QM=7\r"), "");
    EXPECT_EQ(SimulatedModem::Answer(state, "AT+QM?\r"), Framed("+QM,1") + Framed("OK"));
    EXPECT_EQ(SimulatedModem::Answer(state, "AT+QM=0\r"), Framed("OK"));
    EXPECT_EQ(state.quietMode, 0);
    EXPECT_EQ(SimulatedModem::Answer(state, "AT\r"), Framed("OK"));
}

TEST(SimulatedModem, RefusedValuesAnswerErrorAndChangeNothing)
{
    const char* const refused[] = {
        "AT+OPMODE=0\r",         "AT+OPMODE=5\r",        "AT+OPMODE=x\r",        "AT+OPMODE=\r",
        "AT+NETROLE=3\r",        "AT+PANID=0\r",         "AT+PANID=65534\r",     "AT+PHYID=14\r",
        "AT+RFCH=129\r",         "AT+RFCH=-1\r",         "AT+UART=1234,0,0,8\r", "AT+UART=9600,2,0,8\r",
        "AT+UART=9600,0,3,8\r",  "AT+UART=9600,0,0,9\r", "AT+UART=9600,0,0\r",   "AT+GPIOC=0000,0,0\r",
        "AT+GPIOC=2000,0,0\r",   "AT+GPIOC=0001,1,2\r",  "AT+GPIOC=0001,2,1\r",  "AT+GPIOC=0001,3,0\r",
        "AT+GPIOP=100,2\r",      "AT+GPIOP=100\r",       "AT+QM=2\r",
    };
    for (const char* line : refused)
    {
        SimulatedModem::State state = SimulatedModem::FactoryState();
        EXPECT_EQ(SimulatedModem::Answer(state, line), Framed("ERROR")) << line;
        SimulatedModem::State factory = SimulatedModem::FactoryState();
        EXPECT_EQ(std::memcmp(&state.info, &factory.info, sizeof state.info), 0) << line;
        EXPECT_EQ(std::memcmp(&state.net, &factory.net, sizeof state.net), 0) << line;
        EXPECT_EQ(std::memcmp(state.gpio, factory.gpio, sizeof state.gpio), 0) << line;
    }
}

TEST(SimulatedModem, FactoryResetRestoresTheFactoryState)
{
    SimulatedModem::State state = SimulatedModem::FactoryState();
    for (const char* line : {"AT+PANID=7\r", "AT+GPIOC=0004,2,1\r", "AT+UART=115200,1,2,7\r"})
        EXPECT_EQ(SimulatedModem::Answer(state, line), Framed("OK")) << line;
    EXPECT_EQ(state.net.panId, 7);
    EXPECT_EQ(state.gpio[2].ioMode, 2);
    EXPECT_EQ(state.uart.baud, 115200u);
    EXPECT_EQ(SimulatedModem::Answer(state, "AT&F\r"), Framed("OK") + Framed("+READY"));
    EXPECT_EQ(state.net.panId, SimulatedModem::FactoryState().net.panId);
    EXPECT_EQ(state.gpio[2].ioMode, 0);
    EXPECT_EQ(state.uart.baud, 9600u);
}

TEST(SimulatedModem, PacedRepliesTakeAtLeastTheirLineTime)
{
    Watchdog watchdog(20s, "paced modem test");
    SimulatedModem modem;
    modem.SetBaudRate(9600);
    Q310Comm comm;
    ASSERT_FALSE(comm.Open(modem.SlavePath(), 9600, 8, 0, 0));
    SimulatedModem::State state = modem.GetState();
    const std::string reply = SimulatedModem::Answer(state, "AT+GPIOC?\r");
    // Command and the 13 lines (the final OK is not waited for), 10 bits a byte.
    const double wireMs = (10 + reply.size() - 6) * 10 * 1000.0 / 9600;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(comm.Transact("AT+GPIOC?\r", 10, CommandId::QueryGpioConfig, 4000)->type, ResponseType::GpioConfig);
    const double elapsedMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(elapsedMs, wireMs);
    comm.Close();
}

// Reads from fd until `length` bytes have come or `limit` has passed.
std::string ReadBytes(int fd, std::size_t length, std::chrono::milliseconds limit)
{
    std::string bytes;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (bytes.size() < length && std::chrono::steady_clock::now() < deadline)
    {
        pollfd p{fd, POLLIN, 0};
        char buffer[256];
        if (::poll(&p, 1, 10) == 1)
            if (const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, length - bytes.size())); n > 0)
                bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

TEST(SimulatedModem, HearsTheNextCommandWhileAReplyGoesOutAndAnswersInOrder)
{
    Watchdog watchdog(20s, "full-duplex modem test");
    SimulatedModem modem;
    modem.SetBaudRate(2400);  // the 13 lines of AT+GPIOC? take about 0.9 s
    const int fd = ::open(modem.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    SimulatedModem::State state = modem.GetState();
    const std::string gpio = SimulatedModem::Answer(state, "AT+GPIOC?\r");
    const std::string version = SimulatedModem::Answer(state, "AT+VER?\r");

    ASSERT_EQ(::write(fd, "AT+GPIOC?\r", 10), 10);
    std::string received = ReadBytes(fd, 16, 5s);  // the first line, "\r\n+GPIOC,0,0,0\r\n"
    ASSERT_EQ(::write(fd, "AT+VER?\r", 8), 8);
    EXPECT_TRUE(modem.WaitForCommands(2, 400ms)) << "not heard while the reply still went out";
    received += ReadBytes(fd, gpio.size() + version.size() - received.size(), 5s);
    EXPECT_EQ(received, gpio + version);
    ::close(fd);
}

}  // namespace
