// The main dialog's commands against the simulated modem pacing its bytes at 9600 and
// 115200 baud: the whole device read and a general apply, each beside its wire-time lower
// bound, and how long the UI thread stands still meanwhile.
//
// Each command runs in the UI thread's own event loop, as it does for a user, with a 1 ms
// heartbeat timer; the dialog has been drawn and the command run once before anything is
// timed. Counters:
//   cmd_ms        from queuing the command to its result reaching the dialog (mean);
//   wire_ms       the time the command lines and the replies up to each accepted line take
//                 on the line (10 bits a byte): the modem hears while it sends, so a client
//                 with no overhead of its own would take just that;
//   x_wire        cmd_ms / wire_ms, the client's own overhead;
//   ui_stall_med_ms, ui_stall_max_ms
//                 the longest the UI thread stood still (a gap between two heartbeats, less
//                 any time the idle loop slept in it) while the command runs, its result is
//                 handled and the window redrawn; median and maximum over the repeats;
//   queue_wait_ms (QueueWhileBusy) how long queuing a second command blocks the UI thread
//                 while the first one runs, as the design has it.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/timer.h>

#include "app/CLumvexQ310DConfiguratorDlg.h"
#include "app/GeneralInfoPage.h"
#include "app/GtkFunction.h"
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

// GLib runs wx's event loop, and its poll function is where the loop sleeps until the next
// event or timer is due. Timing those sleeps tells a busy thread from a woken-late one: on a
// loaded machine the system sometimes wakes an idle loop many milliseconds after its 1 ms
// timer was due, and that is no stall of the program. GLib's headers are not installed;
// these are its stable C entry points, found at run time in the GLib that GTK loaded.
extern "C" {
struct GPollFD
{
    int fd;
    unsigned short events;
    unsigned short revents;
};
using GPollFunc = int (*)(GPollFD*, unsigned, int);
}

class LoopSleep
{
public:
    // Starts timing the default main context's sleeps; false when GLib cannot be found.
    static bool Install()
    {
        using Get = GPollFunc (*)(void*);
        using Set = void (*)(void*, GPollFunc);
        const auto get = GtkFunction<Get>("g_main_context_get_poll_func");
        const auto set = GtkFunction<Set>("g_main_context_set_poll_func");
        if (!get || !set)
            return false;
        s_poll = get(nullptr);
        set(nullptr, &TimedPoll);
        return true;
    }

    // How long the UI thread's event loop has slept in all.
    static Clock::duration Total() { return s_asleep; }

private:
    static int TimedPoll(GPollFD* fds, unsigned count, int timeout)
    {
        const Clock::time_point start = Clock::now();
        const int result = s_poll(fds, count, timeout);
        s_asleep += Clock::now() - start;
        return result;
    }

    static inline GPollFunc s_poll = nullptr;
    static inline Clock::duration s_asleep{};  // the UI thread's only
};

// Runs the UI thread's event loop for real, with a 1 ms heartbeat, calling `start` first and
// ending at the first heartbeat at which `done` holds. Returns the longest the thread stood
// still (ms): the longest gap between two heartbeats, `start` counted in the first, less the
// time the loop slept in it.
double RunWithHeartbeat(const std::function<void()>& start, const std::function<bool()>& done)
{
    wxGUIEventLoop loop;
    wxTimer heartbeat;  // without an owner it sends its events to itself
    Clock::time_point last;
    Clock::duration asleep{};
    double longest = 0;
    heartbeat.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        const Clock::time_point now = Clock::now();
        const Clock::duration slept = LoopSleep::Total() - asleep;
        longest = std::max(longest, Ms(now - last - slept).count());
        last = now;
        asleep += slept;
        if (done())
            loop.Exit();
    });
    heartbeat.Start(1);
    last = Clock::now();
    asleep = LoopSleep::Total();
    start();
    loop.Run();
    heartbeat.Stop();
    return longest;
}

// How long after a result GTK has surely redrawn what its handling changed (three frames).
constexpr auto kRedrawn = std::chrono::milliseconds(50);

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The dialog connected to a paced modem, drawn and settled, with the general page holding the
// modem's own settings so that applying them changes nothing between iterations.
struct Connected
{
    explicit Connected(uint32_t baud)
    {
        modem.SetBaudRate(baud);
        rig.dlg->Bind(WM_APP_COMMAND_DONE, [this](AppMessageEvent& event) {
            resultAt = Clock::now();
            event.Skip();
        });
        rig.Show(modem.SlavePath(), baud);
        ok = rig.WaitForResults(1, std::chrono::seconds(30)) && rig.results[0].second == 0;
        const SimulatedModem::State s = modem.GetState();
        GeneralInfoValues& values = rig.dlg->m_generalPage->m_values;
        values.info = s.info;
        values.net = s.net;
        values.uart = s.uart;
        values.quietMode = 0;
        // Let GTK draw the new window before anything is measured.
        const Clock::time_point settle = Clock::now() + std::chrono::milliseconds(300);
        RunWithHeartbeat([] {}, [&] { return Clock::now() >= settle; });
    }

    bool Ready(benchmark::State& state)
    {
        if (!ok)
            state.SkipWithError("the dialog did not connect");
        return ok;
    }

    struct Timing
    {
        double cmdMs;    // queued to result received
        double stallMs;  // longest heartbeat gap meanwhile, the result's handling included
    };

    // Queues command and runs the event loop until its result has been handled.
    Timing Run(int command)
    {
        const size_t before = rig.results.size();
        Clock::time_point start;
        const double stall = RunWithHeartbeat(
            [&] {
                start = Clock::now();
                rig.dlg->PostCommand(command, false);
            },
            [&] { return rig.results.size() > before && Clock::now() - resultAt >= kRedrawn; });
        return {Ms(resultAt - start).count(), stall};
    }

    bool Succeeded() const { return !rig.results.empty() && rig.results.back().second == 0; }

    SimulatedModem modem;
    MainDialogRig rig;
    Clock::time_point resultAt;  // when the latest result reached the dialog
    bool ok = false;
};

void RunCommand(benchmark::State& state, int command, const std::vector<std::string>& lines)
{
    const uint32_t baud = static_cast<uint32_t>(state.range(0));
    Connected c(baud);
    if (!c.Ready(state))
        return;
    c.Run(command);  // warm-up, untimed
    std::vector<double> commandMs;
    std::vector<double> stallMs;
    for (auto _ : state)
    {
        const Connected::Timing t = c.Run(command);
        if (!c.Succeeded())
        {
            state.SkipWithError("the command failed");
            return;
        }
        state.SetIterationTime(t.cmdMs / 1000.0);
        commandMs.push_back(t.cmdMs);
        stallMs.push_back(t.stallMs);
    }
    const double meanMs = std::accumulate(commandMs.begin(), commandMs.end(), 0.0) / commandMs.size();
    const double wire = WireMs(lines, baud);
    state.counters["cmd_ms"] = meanMs;
    state.counters["wire_ms"] = wire;
    state.counters["x_wire"] = meanMs / wire;
    state.counters["ui_stall_med_ms"] = Median(stallMs);
    state.counters["ui_stall_max_ms"] = *std::max_element(stallMs.begin(), stallMs.end());
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

BENCHMARK(BM_DeviceRead)->Arg(9600)->Arg(115200)->Unit(benchmark::kMillisecond)->Iterations(20)->UseManualTime();
BENCHMARK(BM_ApplyGeneral)->Arg(9600)->Arg(115200)->Unit(benchmark::kMillisecond)->Iterations(20)->UseManualTime();
BENCHMARK(BM_QueueWhileBusy)->Arg(9600)->Arg(115200)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    GuiSession session(argv[0]);
    if (!session.Started())
        return 1;
    if (!LoopSleep::Install())
        std::fprintf(stderr, "GLib's poll function not found: the UI stall counts the loop's sleeps too\n");
    {
        // The dialog's profile and messages stay out of the user's own.
        TempProfile profile;
        ScopedLanguage language(StringTable::Language::Korean);
        benchmark::RunSpecifiedBenchmarks();
    }
    benchmark::Shutdown();
    return 0;
}
