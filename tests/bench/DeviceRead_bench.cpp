// The main dialog's commands against the simulated modem pacing its bytes at 9600 and
// 115200 baud: the whole device read and a general apply, each beside its wire-time lower
// bound, and how long the UI thread stands still meanwhile.
//
// Counters: cmd_ms, from queuing the command to its result reaching the dialog; wire_ms,
// the time the command lines and the replies up to each accepted line take on the line
// (10 bits a byte); ui_stall_ms, the longest single turn of the UI thread's event loop
// (queued events, then GTK's) while the command runs, the handling of its result included; queue_wait_ms (QueueWhileBusy), how long queuing a second
// command blocks the UI thread while the first one runs, as the design has it.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <wx/app.h>

#include "app/CLumvexQ310DConfiguratorDlg.h"
#include "app/GeneralInfoPage.h"
#include "support/GuiFixtures.h"
#include "support/GuiMainDialogRig.h"
#include "support/GuiSession.h"
#include "support/SimulatedModem.h"

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

const std::vector<std::string> kReadLines = {"AT\r",         "AT+QM?\r",    "AT+INFO?\r", "AT+NETINFO?\r",
                                             "AT+GPIOC?\r", "AT+GPIOP?\r", "AT+VER?\r"};
const std::string kOk = "\r\nOK\r\n";

// Line time of the command lines and of the replies that end each wait: a query ends at
// its "+..." line(s), so the "OK" behind it does not count; a setting ends at its "OK".
double WireMs(const std::vector<std::string>& lines, uint32_t baud)
{
    SimulatedModem::State state = SimulatedModem::FactoryState();
    size_t bytes = 0;
    for (const std::string& line : lines)
    {
        std::string reply = SimulatedModem::Answer(state, line);
        const bool query = reply.size() > kOk.size() && reply.compare(0, 3, "\r\n+") == 0;
        if (query && reply.ends_with(kOk))
            reply.resize(reply.size() - kOk.size());
        bytes += line.size() + reply.size();
    }
    return bytes * 10 * 1000.0 / baud;
}

std::vector<std::string> GeneralLines(const SimulatedModem::State& s)
{
    char uart[64];
    std::snprintf(uart, sizeof uart, "AT+UART=%u,%u,%u,%u\r", s.uart.baud, s.uart.stopBits, s.uart.parity,
                  s.uart.dataBits);
    return {"AT+OPMODE=" + std::to_string(s.info.opMode) + "\r", "AT+PANID=" + std::to_string(s.net.panId) + "\r",
            "AT+PHYID=" + std::to_string(s.net.phyId) + "\r",   "AT+RFCH=" + std::to_string(s.net.rfChannel) + "\r",
            "AT+NETROLE=" + std::to_string(s.info.netRole) + "\r", uart, "AT+QM=0\r"};
}

// The dialog connected to a paced modem, with the general page holding the modem's own
// settings so that applying them changes nothing between iterations.
struct Connected
{
    explicit Connected(uint32_t baud)
    {
        modem.SetBaudRate(baud);
        rig.Show(modem.SlavePath(), baud);
        ok = rig.WaitForResults(1, std::chrono::seconds(30)) && rig.results[0].second == 0;
        const SimulatedModem::State s = modem.GetState();
        GeneralInfoValues& values = rig.dlg->m_generalPage->m_values;
        values.info = s.info;
        values.net = s.net;
        values.uart = s.uart;
        values.quietMode = 0;
    }

    bool Ready(benchmark::State& state)
    {
        if (!ok)
            state.SkipWithError("the dialog did not connect");
        return ok;
    }

    // Queues command and pumps until its result has been handled; returns the longest
    // single pump turn.
    double RunAndPump(int command)
    {
        const size_t before = rig.results.size();
        rig.dlg->PostCommand(command, false);
        double longest = 0;
        while (rig.results.size() <= before)
        {
            const auto start = Clock::now();
            wxTheApp->ProcessPendingEvents();
            wxYield();
            longest = std::max(longest, Ms(Clock::now() - start).count());
        }
        PumpEvents();
        return longest;
    }

    SimulatedModem modem;
    MainDialogRig rig;
    bool ok = false;
};

void RunCommand(benchmark::State& state, int command, const std::vector<std::string>& lines)
{
    const uint32_t baud = static_cast<uint32_t>(state.range(0));
    Connected c(baud);
    if (!c.Ready(state))
        return;
    double total = 0;
    double stall = 0;
    for (auto _ : state)
    {
        const auto start = Clock::now();
        stall = std::max(stall, c.RunAndPump(command));
        total += Ms(Clock::now() - start).count();
        if (c.rig.results.back().second != 0)
        {
            state.SkipWithError("the command failed");
            return;
        }
    }
    state.counters["cmd_ms"] = total / static_cast<double>(state.iterations());
    state.counters["wire_ms"] = WireMs(lines, baud);
    state.counters["ui_stall_ms"] = stall;
}

void BM_DeviceRead(benchmark::State& state)
{
    RunCommand(state, WorkerCommand::ReadDeviceInfo, kReadLines);
}

void BM_ApplyGeneral(benchmark::State& state)
{
    RunCommand(state, WorkerCommand::ApplyGeneral, GeneralLines(SimulatedModem::FactoryState()));
}

// Queuing while a command runs waits for it: the UI thread stands still that long.
void BM_QueueWhileBusy(benchmark::State& state)
{
    const uint32_t baud = static_cast<uint32_t>(state.range(0));
    Connected c(baud);
    if (!c.Ready(state))
        return;
    double waited = 0;
    for (auto _ : state)
    {
        const size_t before = c.rig.results.size();
        c.modem.ClearCommands();
        c.rig.dlg->PostCommand(WorkerCommand::ApplyGeneral, false);
        c.modem.WaitForCommands(1, std::chrono::seconds(5));
        const auto start = Clock::now();
        c.rig.dlg->PostCommand(WorkerCommand::ApplyGeneral, false);
        waited += Ms(Clock::now() - start).count();
        while (c.rig.results.size() < before + 2)
            PumpEvents();
    }
    state.counters["queue_wait_ms"] = waited / static_cast<double>(state.iterations());
}

BENCHMARK(BM_DeviceRead)->Arg(9600)->Arg(115200)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ApplyGeneral)->Arg(9600)->Arg(115200)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_QueueWhileBusy)->Arg(9600)->Arg(115200)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    GuiSession session(argv[0]);
    if (!session.Started())
        return 1;
    {
        // The dialog's profile and messages stay out of the user's own.
        TempProfile profile;
        ScopedLanguage language(StringTable::Language::Korean);
        benchmark::RunSpecifiedBenchmarks();
    }
    benchmark::Shutdown();
    return 0;
}
