#include "support/SimulatedModem.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

#include "support/PtyPair.h"

namespace {

std::string Line(const std::string& text) { return "\r\n" + text + "\r\n"; }

const std::string kOk = Line("OK");
const std::string kError = Line("ERROR");
const std::string kReady = Line("+READY");

// A field of decimal digits only (or hex digits for base 16), at most 32 bits.
bool ParseUnsigned(const std::string& text, uint32_t& out, int base = 10)
{
    if (text.empty() || text.size() > 10)
        return false;
    uint64_t value = 0;
    for (const char c : text)
    {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return false;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    }
    if (value > UINT32_MAX)
        return false;
    out = static_cast<uint32_t>(value);
    return true;
}

std::vector<std::string> Split(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos)
            return parts;
        start = comma + 1;
    }
}

bool ValidGpioSetting(unsigned gpio, uint32_t ioMode, uint32_t config)
{
    switch (ioMode)
    {
    case 0:
        return config <= 2;  // no pull, pull up, pull down
    case 1:
        return config <= 1;  // low, high
    case 2:
        return gpio == 2 ? config <= 1 : config == 0;  // push-pull/inverted on GPIO 2 only
    default:
        return false;
    }
}

bool ValidBaud(uint32_t baud)
{
    static const uint32_t kRates[] = {300,   600,   1200,   2400,   4800,   9600,   14400,
                                      19200, 38400, 57600, 115200, 230400, 460800, 921600};
    return std::find(std::begin(kRates), std::end(kRates), baud) != std::end(kRates);
}

// A setting command: its prefix (up to "="), how many fields, and how to store them.
struct Setting
{
    const char* prefix;
    std::size_t fields;
    int firstBase;
    std::function<bool(SimulatedModem::State&, const uint32_t*)> apply;
};

// A setting of one number, stored when it lies in [low, high].
Setting NumberSetting(const char* prefix, uint32_t low, uint32_t high,
                      void (*store)(SimulatedModem::State&, uint32_t))
{
    return {prefix, 1, 10, [=](SimulatedModem::State& s, const uint32_t* v) {
                if (v[0] < low || v[0] > high)
                    return false;
                store(s, v[0]);
                return true;
            }};
}

const std::vector<Setting>& Settings()
{
    using State = SimulatedModem::State;
    static const std::vector<Setting> kSettings = {
        NumberSetting("AT+OPMODE=", 1, 4, [](State& s, uint32_t v) { s.info.opMode = static_cast<uint8_t>(v); }),
        NumberSetting("AT+NETROLE=", 1, 2, [](State& s, uint32_t v) { s.info.netRole = static_cast<uint8_t>(v); }),
        NumberSetting("AT+PANID=", 1, 0xFFFD, [](State& s, uint32_t v) { s.net.panId = static_cast<uint16_t>(v); }),
        NumberSetting("AT+PHYID=", 1, 13, [](State& s, uint32_t v) { s.net.phyId = static_cast<uint8_t>(v); }),
        NumberSetting("AT+RFCH=", 0, 128, [](State& s, uint32_t v) { s.net.rfChannel = static_cast<uint8_t>(v); }),
        {"AT+UART=", 4, 10,
         [](State& s, const uint32_t* v) {
             // baud, stop bits, parity, data bits (modem's encoding)
             if (!ValidBaud(v[0]) || v[1] > 1 || v[2] > 2 || v[3] < 7 || v[3] > 8)
                 return false;
             s.uart.baud = v[0];
             s.uart.stopBits = static_cast<uint8_t>(v[1]);
             s.uart.parity = static_cast<uint8_t>(v[2]);
             s.uart.dataBits = static_cast<uint8_t>(v[3]);
             return true;
         }},
        {"AT+GPIOC=", 3, 16,
         [](State& s, const uint32_t* v) {
             const uint32_t mask = v[0];
             if (mask == 0 || mask >= (1u << kGpioCount))
                 return false;
             for (unsigned gpio = 0; gpio < kGpioCount; ++gpio)
                 if ((mask & (1u << gpio)) != 0 && !ValidGpioSetting(gpio, v[1], v[2]))
                     return false;
             for (unsigned gpio = 0; gpio < kGpioCount; ++gpio)
                 if ((mask & (1u << gpio)) != 0)
                     s.gpio[gpio] = {static_cast<uint8_t>(gpio), static_cast<uint8_t>(v[1]),
                                     static_cast<uint8_t>(v[2])};
             return true;
         }},
        {"AT+GPIOP=", 2, 10,
         [](State& s, const uint32_t* v) {
             if (v[1] > 1)
                 return false;
             s.report.reportInterval = v[0];
             s.report.sendRemote = static_cast<uint8_t>(v[1]);
             return true;
         }},
    };
    return kSettings;
}

// Applies a setting line; false when the line is no setting or the modem refuses it.
bool ApplySetting(SimulatedModem::State& state, const std::string& command)
{
    for (const Setting& setting : Settings())
    {
        const std::string prefix = setting.prefix;
        if (command.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::vector<std::string> parts = Split(command.substr(prefix.size()));
        if (parts.size() != setting.fields)
            return false;
        uint32_t values[4] = {};
        for (std::size_t i = 0; i < parts.size(); ++i)
            if (!ParseUnsigned(parts[i], values[i], i == 0 ? setting.firstBase : 10))
                return false;
        return setting.apply(state, values);
    }
    return false;
}

std::string InfoLine(const InfoData& info)
{
    static const char* const kOpModes[] = {"?", "P2P", "P2PCMD", "MULTI", "MULTICMD"};
    char address[17];
    for (int i = 0; i < 8; ++i)
        std::snprintf(address + 2 * i, 3, "%02X", info.extAddress[7 - i]);
    char line[96];
    std::snprintf(line, sizeof line, "+INFO,%s,%s,%s,%s,%u", address,
                  info.opMode <= 4 ? kOpModes[info.opMode] : "?",
                  info.netRole == 2 ? "DEV" : "COORD", info.state == 0 ? "ACT" : "INACT",
                  info.modeFlag != 0 ? 1u : 0u);
    return Line(line);
}

std::string QueryAnswer(const SimulatedModem::State& s, const std::string& command)
{
    char line[64];
    if (command == "AT+INFO?")
        return InfoLine(s.info) + kOk;
    if (command == "AT+NETINFO?")
    {
        std::snprintf(line, sizeof line, "+NETINFO,%u,%u,%u,%s", s.net.phyId, s.net.rfChannel,
                      s.net.panId, s.net.bcFh != 0 ? "FH" : "BC");
        return Line(line) + kOk;
    }
    if (command == "AT+VER?")
        return Line("+VER," + s.version) + kOk;
    if (command == "AT+GPIOC?")
    {
        std::string reply;
        for (const GpioEntry& e : s.gpio)
        {
            std::snprintf(line, sizeof line, "+GPIOC,%u,%u,%u", e.gpio, e.ioMode, e.config);
            reply += Line(line);
        }
        return reply + kOk;
    }
    if (command == "AT+GPIOP?")
    {
        std::snprintf(line, sizeof line, "+GPIOP,%u,%u", s.report.reportInterval, s.report.sendRemote);
        return Line(line) + kOk;
    }
    if (command == "AT+QM?")
        return Line(std::string("+QM,") + (s.quietMode != 0 ? "1" : "0")) + kOk;
    return {};
}

}  // namespace

SimulatedModem::State SimulatedModem::FactoryState()
{
    State s{};
    const uint8_t address[8] = {0x04, 0x03, 0x02, 0x01, 0x00, 0x4B, 0x12, 0x00};  // 00124B0001020304
    std::copy(std::begin(address), std::end(address), s.info.extAddress);
    s.info.opMode = 1;    // P2P
    s.info.netRole = 1;   // COORD
    s.info.state = 1;     // INACT
    s.info.modeFlag = 0;  // setting mode
    s.net.phyId = 2;
    s.net.rfChannel = 11;
    s.net.panId = 0x1234;
    s.net.bcFh = 0;
    s.uart = {9600, 0, 0, 8, 0};
    for (int i = 0; i < kGpioCount; ++i)
        s.gpio[i] = {static_cast<uint8_t>(i), 0, 0};
    s.report = {0, 0, {0, 0, 0}};
    s.quietMode = 0;
    s.version = "Q310D V1.0.3";
    return s;
}

std::string SimulatedModem::Answer(State& state, const std::string& commandLine)
{
    std::string command = commandLine;
    if (!command.empty() && command.back() == '\r')
        command.pop_back();
    command.erase(0, command.find_first_not_of('\n'));

    bool speaks = state.quietMode == 0;
    std::string reply;
    if (command == "AT")
        reply = kOk;
    else if (command == "ATZ")
        reply = kOk + kReady;
    else if (command == "AT&F")
    {
        state = FactoryState();
        reply = kOk + kReady;
    }
    else if (const std::string answer = QueryAnswer(state, command); !answer.empty())
    {
        reply = answer;
        speaks = speaks || command == "AT+QM?";  // quiet mode can always be asked about
    }
    else if (command.rfind("AT+QM=", 0) == 0)
    {
        uint32_t value = 0;
        if (ParseUnsigned(command.substr(6), value) && value <= 1)
        {
            state.quietMode = static_cast<uint8_t>(value);
            reply = kOk;
            speaks = value == 0;  // "AT+QM=0" always answered, "AT+QM=1" never
        }
        else
            reply = kError;
    }
    else
        reply = ApplySetting(state, command) ? kOk : kError;
    return speaks ? reply : std::string();
}

// ---- life cycle -----------------------------------------------------------------------

SimulatedModem::SimulatedModem() : SimulatedModem(FactoryState()) {}

SimulatedModem::SimulatedModem(const State& state) : m_pty(std::make_unique<PtyPair>()), m_state(state)
{
    m_slavePath = m_pty->SlavePath();
    m_masterFd = m_pty->MasterFd();
    // Writes must never block the thread for good: a peer that does not read fills the pty.
    ::fcntl(m_masterFd, F_SETFL, ::fcntl(m_masterFd, F_GETFL) | O_NONBLOCK);
    m_wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_wakeFd < 0)
        throw std::system_error(errno, std::system_category(), "eventfd");
    m_listener = std::thread(&SimulatedModem::Listen, this);
    m_speaker = std::thread(&SimulatedModem::Speak, this);
}

SimulatedModem::~SimulatedModem()
{
    Stop();
    ::close(m_wakeFd);
}

void SimulatedModem::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    Wake();
    if (m_listener.joinable())
        m_listener.join();
    if (m_speaker.joinable())
        m_speaker.join();
}

void SimulatedModem::Wake()
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wakeFd, &one, sizeof one);
}

// ---- scripting and accessors --------------------------------------------------------------

void SimulatedModem::AddScript(Script script)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_scripts.push_back(std::move(script));
}

namespace {

SimulatedModem::Script MakeScript(const std::string& prefix, int times, SimulatedModem::Reply reply)
{
    SimulatedModem::Script s;
    s.prefix = prefix;
    s.times = times;
    s.reply = reply;
    return s;
}

}  // namespace

void SimulatedModem::StaySilent(const std::string& prefix, int times)
{
    AddScript(MakeScript(prefix, times, Reply::Silent));
}

void SimulatedModem::AnswerError(const std::string& prefix, int times)
{
    AddScript(MakeScript(prefix, times, Reply::Error));
}

void SimulatedModem::AnswerWith(const std::string& prefix, const std::string& bytes, int times)
{
    Script s = MakeScript(prefix, times, Reply::Custom);
    s.custom = bytes;
    AddScript(std::move(s));
}

void SimulatedModem::HangUpOn(const std::string& prefix)
{
    Script s = MakeScript(prefix, 1, Reply::Silent);
    s.hangUp = true;
    AddScript(std::move(s));
}

void SimulatedModem::ClearScripts()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_scripts.clear();
}

void SimulatedModem::SetBaudRate(uint32_t baud)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_baud = baud;
}

void SimulatedModem::SetChunking(std::size_t chunkSize, std::chrono::microseconds gap)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_chunkSize = chunkSize;
    m_chunkGap = gap;
}

void SimulatedModem::Send(const std::string& bytes)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    Outgoing send;
    send.bytes = bytes;
    m_outgoing.push_back(std::move(send));
    const uint64_t ticket = ++m_sendsQueued;
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return m_sendsDone >= ticket || m_stopping; });
}

void SimulatedModem::HangUp()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_hangUpRequested = true;
    Wake();
    m_changed.wait(lock, [&] { return m_hungUp || m_stopping; });
}

bool SimulatedModem::IsHungUp() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_hungUp;
}

SimulatedModem::State SimulatedModem::GetState() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state;
}

void SimulatedModem::SetState(const State& state)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state = state;
}

std::vector<std::string> SimulatedModem::Commands() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_commands;
}

std::size_t SimulatedModem::CommandCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_commands.size();
}

void SimulatedModem::ClearCommands()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_commands.clear();
}

bool SimulatedModem::WaitForCommands(std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_commands.size() >= count; });
}

// ---- the listening thread ------------------------------------------------------------------
//
//  master fd ──▶ bytes ──▶ lines ──▶ recorded, script picked ──▶ m_outgoing (to Speak)
//  wake fd   ──▶ hang-up requests, stop

void SimulatedModem::Listen()
{
    for (;;)
    {
        bool hangUp;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stopping)
                return;
            hangUp = m_hangUpRequested;
        }
        if (hangUp)
            CloseLine();
        pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {m_masterFd, POLLIN, 0}};
        const nfds_t count = m_masterFd >= 0 && !m_deaf ? 2 : 1;
        if (::poll(fds, count, 100) < 0 && errno != EINTR)
            return;
        if (fds[0].revents & POLLIN)
        {
            uint64_t value;
            [[maybe_unused]] const ssize_t n = ::read(m_wakeFd, &value, sizeof value);
        }
        if (count == 2 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)))
            ReadFromLine();
    }
}

void SimulatedModem::ReadFromLine()
{
    char buffer[512];
    const ssize_t n = ::read(m_masterFd, buffer, sizeof buffer);
    if (n <= 0)
    {
        // No peer on the slave side yet (or EAGAIN): do not spin on the condition.
        WaitUntil(Clock::now() + std::chrono::milliseconds(2));
        return;
    }
    const Clock::time_point now = Clock::now();
    for (ssize_t i = 0; i < n && !m_deaf; ++i)
    {
        if (m_pending.empty())
            m_pendingStart = now;
        m_pending.push_back(buffer[i]);
        if (buffer[i] == '\r')
        {
            const std::string line = std::move(m_pending);
            m_pending.clear();
            QueueLine(line, m_pendingStart);
        }
    }
}

void SimulatedModem::QueueLine(const std::string& line, Clock::time_point firstByte)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_commands.push_back(line);

    Outgoing command;  // Reply::Normal unless a script says otherwise
    command.isCommand = true;
    command.bytes = line;
    for (Script& s : m_scripts)
        if (s.times != 0 && line.compare(0, s.prefix.size(), s.prefix) == 0)
        {
            if (s.times > 0)
                --s.times;
            command.script = s;
            break;
        }
    // The command is complete only once its last byte would have crossed the line, behind
    // the line before it.
    command.complete = std::max(firstByte, m_heardUntil);
    if (m_baud != 0)
        command.complete += std::chrono::microseconds(line.size() * 10'000'000ull / m_baud);
    m_heardUntil = command.complete;
    m_deaf = command.script.hangUp;
    m_outgoing.push_back(std::move(command));
    m_changed.notify_all();
}

void SimulatedModem::CloseLine()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_masterFd >= 0)
    {
        m_pty->HangUp();
        m_masterFd = -1;
    }
    m_hangUpRequested = false;
    m_hungUp = true;
    m_changed.notify_all();
}

// ---- the answering thread ------------------------------------------------------------------

void SimulatedModem::Speak()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;)
    {
        m_changed.wait(lock, [this] { return m_stopping || !m_outgoing.empty(); });
        if (m_stopping)
            return;
        const Outgoing next = std::move(m_outgoing.front());
        m_outgoing.pop_front();
        lock.unlock();
        if (next.isCommand)
            AnswerCommand(next);
        else
            Transmit(next.bytes);
        lock.lock();
        if (!next.isCommand)
        {
            ++m_sendsDone;
            m_changed.notify_all();
        }
    }
}

void SimulatedModem::AnswerCommand(const Outgoing& command)
{
    if (!WaitUntil(command.complete))
        return;
    const Script& script = command.script;
    if (script.hangUp)
    {
        HangUp();
        return;
    }

    std::string reply;
    switch (script.reply)
    {
    case Reply::Normal:
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        reply = Answer(m_state, command.bytes);
        break;
    }
    case Reply::Silent:
        break;
    case Reply::Error:
        reply = kError;
        break;
    case Reply::Custom:
        reply = script.custom;
        break;
    }
    Transmit(script.before + reply + script.after);
}

//  bytes ──▶ chunks of m_chunkSize, m_chunkGap apart ──▶ each byte leaves one byte time
//            (10 bits at m_baud) after the one before it, counted from when the line is free.
void SimulatedModem::Transmit(const std::string& bytes)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const uint32_t baud = m_baud;
    const std::size_t chunkSize = m_chunkSize == 0 ? bytes.size() : m_chunkSize;
    const auto gap = m_chunkGap;
    lock.unlock();

    const auto byteTime = std::chrono::nanoseconds(baud == 0 ? 0 : 10'000'000'000ll / baud);
    for (std::size_t start = 0; start < bytes.size(); start += chunkSize)
    {
        if (start != 0 && !WaitUntil(Clock::now() + gap))
            return;
        const std::size_t end = std::min(bytes.size(), start + chunkSize);
        if (baud == 0)
        {
            WriteAll(bytes.data() + start, end - start);
            continue;
        }
        Clock::time_point lineStart = std::max(Clock::now(), m_lineFreeAt);
        std::size_t sent = start;
        while (sent < end)
        {
            // Every byte whose last bit has left by now goes out in one write.
            const auto now = Clock::now();
            const auto due = std::min<std::size_t>(
                end, start + static_cast<std::size_t>(std::max<int64_t>(0, (now - lineStart) / byteTime)));
            if (due > sent)
            {
                WriteAll(bytes.data() + sent, due - sent);
                sent = due;
                continue;
            }
            if (!WaitUntil(lineStart + byteTime * static_cast<int64_t>(sent - start + 1)))
                return;
        }
        m_lineFreeAt = lineStart + byteTime * static_cast<int64_t>(end - start);
    }
}

void SimulatedModem::WriteAll(const char* data, std::size_t length)
{
    while (length > 0)
    {
        ssize_t n;
        {
            // The listening thread may close the line meanwhile: write only while it is open.
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_masterFd < 0 || m_stopping)
                return;
            n = ::write(m_masterFd, data, length);
        }
        if (n > 0)
        {
            data += n;
            length -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;  // the line is gone
        // The peer does not read and the pty is full: try again shortly.
        if (!WaitUntil(Clock::now() + std::chrono::milliseconds(1)))
            return;
    }
}

bool SimulatedModem::WaitUntil(Clock::time_point when)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return !m_changed.wait_until(lock, when, [this] { return m_stopping; });
}
