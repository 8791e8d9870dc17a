// What the AT client costs: the parser's throughput on the replies of a whole device read,
// and the time of each kind of transaction against the simulated modem pacing its bytes at
// 9600 and 115200 baud, beside the line's own lower bound for the same bytes.
//
// Counters of the transaction rows: txn_ms, the mean time of one transaction; wire_ms, the
// time the command and the reply up to the accepted line take on the line (10 bits a byte).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "device/Q310Comm.h"
#include "support/SimulatedModem.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Kind
{
    const char* name;
    std::string line;
    uint32_t commandId;
};

const std::vector<Kind>& Kinds()
{
    static const std::vector<Kind> kKinds = {
        {"Ping", "AT\r", CommandId::Ping},
        {"QueryQuietMode", "AT+QM?\r", CommandId::QueryQuietMode},
        {"QueryInfo", "AT+INFO?\r", CommandId::QueryInfo},
        {"QueryNetInfo", "AT+NETINFO?\r", CommandId::QueryNetInfo},
        {"QueryGpioConfig", "AT+GPIOC?\r", CommandId::QueryGpioConfig},
        {"QueryGpioPeriodic", "AT+GPIOP?\r", CommandId::QueryGpioPeriodic},
        {"QueryVersion", "AT+VER?\r", CommandId::QueryVersion},
        {"SetPanId", "AT+PANID=4660\r", CommandId::SetPanId},
        {"SetGpioConfig", "AT+GPIOC=0008,1,0\r", CommandId::SetGpioConfig},
        {"SetUart", "AT+UART=115200,0,0,8\r", CommandId::SetUart},
        {"SetQuietMode", "AT+QM=0\r", CommandId::SetQuietMode},
        {"Restart", "ATZ\r", CommandId::Restart},
    };
    return kKinds;
}

// The replies of a device read, as the modem sends them.
std::string DeviceReadStream()
{
    SimulatedModem::State state = SimulatedModem::FactoryState();
    std::string stream;
    for (const char* line : {"AT\r", "AT+QM?\r", "AT+INFO?\r", "AT+NETINFO?\r", "AT+GPIOC?\r", "AT+GPIOP?\r",
                             "AT+VER?\r"})
        stream += SimulatedModem::Answer(state, line);
    return stream;
}

// How many reply bytes the client needs before the accepted line has fully arrived.
std::size_t NeededReplyBytes(Q310Comm& comm, const std::string& reply, uint32_t commandId)
{
    std::vector<uint8_t> buffer(reply.begin(), reply.end());
    const auto accepted = Q310Comm::AcceptedReplies(commandId);
    int gpioLines = 0;
    while (!buffer.empty())
    {
        const Q310ResponsePtr record = comm.ExtractResponse(buffer);
        const bool done = commandId == CommandId::QueryGpioConfig
                              ? record->type == ResponseType::GpioConfig && ++gpioLines == kGpioCount
                              : std::find(accepted.begin(), accepted.end(), record->type) != accepted.end();
        if (done)
            return reply.size() - buffer.size();
    }
    return reply.size();
}

void BM_ParseDeviceReadReplies(benchmark::State& state)
{
    Q310Comm comm;
    const std::string stream = DeviceReadStream();
    int64_t frames = 0;
    for (auto _ : state)
    {
        std::vector<uint8_t> buffer(stream.begin(), stream.end());
        while (!buffer.empty())
        {
            benchmark::DoNotOptimize(comm.ExtractResponse(buffer));
            ++frames;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stream.size()));
    state.SetItemsProcessed(frames);
}
BENCHMARK(BM_ParseDeviceReadReplies);

void BM_Transaction(benchmark::State& state, const Kind& kind, uint32_t baud)
{
    SimulatedModem modem;
    modem.SetBaudRate(baud);
    Q310Comm comm;
    if (comm.Open(modem.SlavePath(), baud, 8, 0, 0))
    {
        state.SkipWithError("cannot open the pseudo-terminal");
        return;
    }

    SimulatedModem::State modemState = modem.GetState();
    const std::string reply = SimulatedModem::Answer(modemState, kind.line);
    const std::size_t needed = NeededReplyBytes(comm, reply, kind.commandId);
    const double byteMs = 10.0 * 1000.0 / baud;
    const double wireMs = static_cast<double>(kind.line.size() + needed) * byteMs;
    // Bytes the modem still sends after the accepted line (e.g. the final "OK").
    const auto trailing = std::chrono::microseconds(static_cast<int64_t>((reply.size() - needed) * byteMs * 1000.0));

    const uint32_t timeoutMs = Q310Comm::TimeoutMs(kind.commandId);
    double totalMs = 0;
    for (auto _ : state)
    {
        const auto start = Clock::now();
        const Q310ResponsePtr record = comm.Transact(kind.line.data(), static_cast<uint16_t>(kind.line.size()),
                                                     kind.commandId, timeoutMs);
        totalMs += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        const auto accepted = Q310Comm::AcceptedReplies(kind.commandId);
        if (std::find(accepted.begin(), accepted.end(), record->type) == accepted.end())
        {
            state.SkipWithError("the transaction failed");
            break;
        }
        state.PauseTiming();
        std::this_thread::sleep_for(trailing + std::chrono::milliseconds(2));  // let the line go idle
        state.ResumeTiming();
    }
    comm.Close();
    state.counters["txn_ms"] = state.iterations() == 0 ? 0 : totalMs / static_cast<double>(state.iterations());
    state.counters["wire_ms"] = wireMs;
}

const bool kRegistered = [] {
    for (const uint32_t baud : {9600u, 115200u})
        for (const Kind& kind : Kinds())
        {
            const std::string name = std::string("Transaction/") + kind.name + "/" + std::to_string(baud);
            benchmark::RegisterBenchmark(name.c_str(), BM_Transaction, kind, baud)
                ->Iterations(baud == 9600 ? 8 : 20)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
