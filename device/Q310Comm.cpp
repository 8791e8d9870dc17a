#include "device/Q310Comm.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <string_view>

#include "serial/IoServiceExec.h"

namespace {

constexpr uint8_t kCr = 13;
constexpr uint8_t kLf = 10;
constexpr auto kFetchWait = std::chrono::milliseconds(10);

using Q310CommandInfo = Q310Comm::CommandInfo;

// The AT command table. The ids are fixed numbers (ConfigItem kinds too).
constexpr Q310CommandInfo kCommands[] = {
    {CommandId::Ping, "AT\r", {ResponseType::Ok, ResponseType::Error}, 2, 2000},
    {CommandId::QueryInfo, "AT+INFO?\r", {ResponseType::Info, 0}, 1, 2000},
    {CommandId::QueryNetInfo, "AT+NETINFO?\r", {ResponseType::NetInfo, 0}, 1, 2000},
    {CommandId::QueryVersion, "AT+VER?\r", {ResponseType::Version, 0}, 1, 2000},
    {CommandId::SetUart, "AT+UART=%u,%u,%u,%u\r", {ResponseType::Ok, ResponseType::Error}, 2, 2000},
    {CommandId::SetPanId, "AT+PANID=%u\r", {ResponseType::Ok, ResponseType::Error}, 2, 2000},
    {CommandId::SetNetRole, "AT+NETROLE=%u\r", {ResponseType::Ok, ResponseType::Error}, 2, 2000},
    {CommandId::SetRfChannel, "AT+RFCH=%u\r", {ResponseType::Ok, ResponseType::Error}, 2, 2000},
    {CommandId::QueryGpioConfig, "AT+GPIOC?\r", {ResponseType::GpioConfig, 0}, 1, 4000},
    {CommandId::SetGpioConfig, "AT+GPIOC=%04X,%u,%u\r", {ResponseType::Ok, ResponseType::Error}, 2, 2000},
    {CommandId::QueryGpioPeriodic, "AT+GPIOP?\r", {ResponseType::GpioPeriodic, 0}, 1, 2000},
    {CommandId::SetGpioPeriodic, "AT+GPIOP=%u,%u\r", {ResponseType::Ok, ResponseType::Error}, 2, 2000},
    {CommandId::SetOpMode, "AT+OPMODE=%u\r", {ResponseType::Ok, ResponseType::Error}, 2, 2000},
    {CommandId::Restart, "ATZ\r", {ResponseType::Ok, 0}, 1, 1000},
    {CommandId::FactoryReset, "AT&F\r", {ResponseType::Ok, 0}, 1, 1000},
    {CommandId::SetPhyId, "AT+PHYID=%u\r", {ResponseType::Ok, ResponseType::Error}, 2, 2000},
    {CommandId::QueryQuietMode, "AT+QM?\r", {ResponseType::QuietMode, 0}, 1, 2000},
    {CommandId::SetQuietMode, "AT+QM=%u\r", {ResponseType::Ok, ResponseType::Error}, 2, 2000},
};

// ---- reply fields -------------------------------------------------------------------

// Reads a number the way atoi reads it (white space, one sign, digits up to the first other
// character, no digits read 0), clamping out-of-range values to the nearer end of int32.
int32_t ReadNumber(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && std::string_view(" \t\n\v\f\r").find(text[i]) != std::string_view::npos)
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int64_t magnitude = 0;
    constexpr int64_t kCap = int64_t{1} << 32;  // beyond either end already
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (magnitude < kCap)
            magnitude = magnitude * 10 + (text[i] - '0');
    const int64_t value = negative ? -magnitude : magnitude;
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

uint8_t Low8(int32_t value) { return static_cast<uint8_t>(static_cast<uint32_t>(value)); }
uint16_t Low16(int32_t value) { return static_cast<uint16_t>(static_cast<uint32_t>(value)); }

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Maps a word field onto its value; false when the word is none of the listed ones.
template <size_t N>
bool ReadWord(const std::string& field, const std::pair<const char*, uint8_t> (&words)[N],
              uint8_t& out)
{
    for (const auto& [word, value] : words)
        if (field == word)
        {
            out = value;
            return true;
        }
    return false;
}

// Splits the fields of one reply line. Fields but the last end at the next comma before the
// closing "\r\n"; the last ends at the first "\r\n" behind its start (it may hold commas).
class FieldReader
{
public:
    FieldReader(const std::vector<uint8_t>& frame, size_t start)
        : m_text(reinterpret_cast<const char*>(frame.data()), frame.size()), m_pos(start)
    {
    }

    bool Next(std::string& field)
    {
        const std::string_view body = m_text.substr(0, m_text.size() - 2);
        const size_t comma = body.find(',', m_pos);
        if (comma == std::string_view::npos)
            return false;
        field.assign(m_text.substr(m_pos, comma - m_pos));
        m_pos = comma + 1;
        return true;
    }

    void Last(std::string& field)
    {
        const size_t end = m_text.find("\r\n", m_pos);  // the frame ends in "\r\n"
        field.assign(m_text.substr(m_pos, end - m_pos));
    }

private:
    std::string_view m_text;
    size_t m_pos;
};

template <typename T>
Q310ResponsePtr MakeRecord(uint32_t type, const T& value)
{
    Q310ResponsePtr record = Q310Comm::NewResponse(sizeof(T));
    record->type = type;
    std::memcpy(record->payload, &value, sizeof(T));
    return record;
}

Q310ResponsePtr MakeEmpty(uint32_t type)
{
    Q310ResponsePtr record = Q310Comm::NewResponse(0);
    record->type = type;
    return record;
}

// The "+ACTIVE,<16 hex>" and "+INACTIVE,<16 hex>" lines.
Q310ResponsePtr ParseAddressLine(FieldReader& reader, uint32_t type, uint32_t badAddressType)
{
    std::string field;
    reader.Last(field);
    if (field.size() != 16)
        return MakeEmpty(ResponseType::BadFrame);
    if (!std::all_of(field.begin(), field.end(), IsHexDigit))
        return MakeEmpty(badAddressType);
    uint8_t address[8] = {};
    Q310Comm::HexToExtAddress(field.data(), address);
    return MakeRecord(type, address);
}

Q310ResponsePtr ParseInfo(FieldReader& reader)
{
    static const std::pair<const char*, uint8_t> kOpModes[] = {
        {"P2P", 1}, {"P2PCMD", 2}, {"MULTI", 3}, {"MULTICMD", 4}};
    static const std::pair<const char*, uint8_t> kRoles[] = {{"COORD", 1}, {"DEV", 2}};
    static const std::pair<const char*, uint8_t> kStates[] = {{"ACT", 0}, {"INACT", 1}};
    static const std::pair<const char*, uint8_t> kFlags[] = {{"1", 1}, {"0", 0}};

    InfoData info{};
    std::string address, opMode, role, state, flag;
    if (!reader.Next(address) || !reader.Next(opMode) || !reader.Next(role) || !reader.Next(state))
        return MakeEmpty(ResponseType::BadFrame);
    reader.Last(flag);
    if (address.size() != 16 || !ReadWord(opMode, kOpModes, info.opMode) ||
        !ReadWord(role, kRoles, info.netRole) || !ReadWord(state, kStates, info.state) ||
        !ReadWord(flag, kFlags, info.modeFlag))
        return MakeEmpty(ResponseType::BadFrame);
    // The address is converted without a hex check: a bad pair reads as a partial byte.
    Q310Comm::HexToExtAddress(address.data(), info.extAddress);
    return MakeRecord(ResponseType::Info, info);
}

Q310ResponsePtr ParseNetInfo(FieldReader& reader)
{
    static const std::pair<const char*, uint8_t> kModes[] = {{"BC", 0}, {"FH", 1}};
    std::string phy, channel, pan, mode;
    if (!reader.Next(phy) || !reader.Next(channel) || !reader.Next(pan))
        return MakeEmpty(ResponseType::BadFrame);
    reader.Last(mode);
    const int32_t phyId = ReadNumber(phy);
    const int32_t rfChannel = ReadNumber(channel);
    const int32_t panId = ReadNumber(pan);
    NetInfo net{};
    if (phyId < 1 || phyId > 13 || rfChannel < 0 || rfChannel > 128 || panId < 1 || panId > 65534 ||
        !ReadWord(mode, kModes, net.bcFh))
        return MakeEmpty(ResponseType::BadFrame);
    net.phyId = Low8(phyId);
    net.rfChannel = Low8(rfChannel);
    net.panId = Low16(panId);
    return MakeRecord(ResponseType::NetInfo, net);
}

Q310ResponsePtr ParseGpioConfig(FieldReader& reader)
{
    std::string gpio, mode, config;
    if (!reader.Next(gpio) || !reader.Next(mode))
        return MakeEmpty(ResponseType::BadFrame);
    reader.Last(config);
    const GpioEntry entry{Low8(ReadNumber(gpio)), Low8(ReadNumber(mode)), Low8(ReadNumber(config))};
    if (entry.gpio > 12 || entry.ioMode > 2 || entry.config > 2)
        return MakeEmpty(ResponseType::BadFrame);
    return MakeRecord(ResponseType::GpioConfig, entry);
}

Q310ResponsePtr ParseGpioPeriodic(FieldReader& reader)
{
    static const std::pair<const char*, uint8_t> kFlags[] = {{"1", 1}, {"0", 0}};
    std::string interval, remote;
    if (!reader.Next(interval))
        return MakeEmpty(ResponseType::BadFrame);
    reader.Last(remote);
    PeriodicReport report{};
    report.reportInterval = static_cast<uint32_t>(ReadNumber(interval));
    if (!ReadWord(remote, kFlags, report.sendRemote))
        return MakeEmpty(ResponseType::BadFrame);
    return MakeRecord(ResponseType::GpioPeriodic, report);
}

// Rows with one number field: the record's type and how the number is taken.
enum class NumberRule
{
    RfChannel,  // u8, low 8 bits 1 to 128
    Status,     // u8, low 8 bits 1 to 2
    AnyU8,
    AnyU16,
    Flag,  // u8: 1 when the low 8 bits are not 0
};

Q310ResponsePtr ParseNumberLine(FieldReader& reader, uint32_t type, NumberRule rule)
{
    std::string field;
    reader.Last(field);
    const int32_t number = ReadNumber(field);
    const uint8_t low8 = Low8(number);
    switch (rule)
    {
    case NumberRule::RfChannel:
        if (low8 < 1 || low8 > 128)
            return MakeEmpty(ResponseType::BadFrame);
        return MakeRecord(type, low8);
    case NumberRule::Status:
        if (low8 < 1 || low8 > 2)
            return MakeEmpty(ResponseType::BadFrame);
        return MakeRecord(type, low8);
    case NumberRule::AnyU8:
        return MakeRecord(type, low8);
    case NumberRule::AnyU16:
        return MakeRecord(type, Low16(number));
    case NumberRule::Flag:
        return MakeRecord(type, static_cast<uint8_t>(low8 != 0 ? 1 : 0));
    }
    return MakeEmpty(ResponseType::BadFrame);
}

Q310ResponsePtr ParseVersion(FieldReader& reader)
{
    std::string text;
    reader.Last(text);
    Q310ResponsePtr record = Q310Comm::NewResponse(static_cast<uint32_t>(text.size()));
    record->type = ResponseType::Version;
    std::memcpy(record->payload, text.data(), text.size());
    return record;
}

}  // namespace

// ---- command table ------------------------------------------------------------------

const Q310Comm::CommandInfo* Q310Comm::FindCommand(uint32_t commandId)
{
    for (const CommandInfo& row : kCommands)
        if (row.id == commandId)
            return &row;
    return nullptr;
}

std::span<const uint32_t> Q310Comm::AcceptedReplies(uint32_t commandId)
{
    const CommandInfo* row = FindCommand(commandId);
    if (row == nullptr)
        return {};
    return {row->accepted, row->acceptedCount};
}

uint32_t Q310Comm::TimeoutMs(uint32_t commandId)
{
    const CommandInfo* row = FindCommand(commandId);
    return row == nullptr ? 0 : row->timeoutMs;
}

// ---- records and small helpers ------------------------------------------------------

Q310ResponsePtr Q310Comm::NewResponse(uint32_t payloadLength)
{
    void* block = std::calloc(1, sizeof(Q310Response) + payloadLength);
    if (block == nullptr)
        throw std::bad_alloc();
    Q310ResponsePtr record(static_cast<Q310Response*>(block));
    record->type = ResponseType::Ready;
    record->payloadLength = static_cast<uint16_t>(payloadLength);
    return record;
}

void Q310Comm::HexToExtAddress(char* text, uint8_t* address)
{
    for (int pair = 0; pair < 8; ++pair)
    {
        uint8_t byte = 0;
        for (int half = 0; half < 2; ++half)
        {
            char& c = text[pair * 2 + half];
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            uint8_t nibble;
            if (c >= '0' && c <= '9')
                nibble = static_cast<uint8_t>(c - '0');
            else if (c >= 'A' && c <= 'F')
                nibble = static_cast<uint8_t>(c - 'A' + 10);
            else
                break;  // the rest of this pair is not read
            byte = static_cast<uint8_t>(byte | (half == 0 ? nibble << 4 : nibble));
        }
        address[7 - pair] = byte;
    }
}

int Q310Comm::MatchPrefix(const char* text, size_t length, const char* prefix)
{
    const size_t prefixLength = std::strlen(prefix);
    if (prefixLength > length)
        return -1;
    return std::strncmp(text, prefix, prefixLength);
}

// ---- framing and parsing ------------------------------------------------------------

//  buffer:  [stray bytes][\r\n text \r\n][rest ...]
//            skipped ─┘   └─ one frame ─┘ └ stays for the next call
//  A lone byte, a lone LF, a CR not followed by LF and an empty line "\r\n\r\n" (by its first
//  two bytes) are skipped within the call; stray text of two or more bytes before a CR is a
//  frame of its own (refused by ParseResponse). An incomplete frame stays in the buffer.
Q310ResponsePtr Q310Comm::ExtractResponse(std::vector<uint8_t>& parseBuffer)
{
    if (parseBuffer.empty())
        return MakeEmpty(ResponseType::Empty);

    const uint8_t* b = parseBuffer.data();
    const size_t n = parseBuffer.size();
    Q310ResponsePtr result;
    size_t p = 0;
    while (p < n)
    {
        size_t length = 0;
        if (b[p] == kCr)
        {
            if (n - p < 4)
                break;
            if (b[p + 1] != kLf)
                length = 1;
            else
            {
                const uint8_t* cr = std::find(b + p + 2, b + n, kCr);
                if (cr == b + n || cr == b + n - 1)
                    break;  // the frame is not complete yet
                length = cr[1] == kLf ? static_cast<size_t>(cr + 2 - (b + p)) : 1;
            }
        }
        else if (b[p] == kLf)
            length = 1;
        else
        {
            const uint8_t* cr = std::find(b + p + 1, b + n, kCr);
            if (cr == b + n)
                break;
            length = static_cast<size_t>(cr - (b + p));
        }

        if (length == 1)
        {
            ++p;
            continue;
        }
        if (length == 4 && b[p] == kCr && b[p + 1] == kLf && b[p + 2] == kCr && b[p + 3] == kLf)
        {
            p += 2;  // an empty line: its second "\r\n" may open the next frame
            continue;
        }
        result = ParseResponse(std::vector<uint8_t>(b + p, b + p + length));
        p += length;
        break;
    }
    parseBuffer.erase(parseBuffer.begin(), parseBuffer.begin() + static_cast<std::ptrdiff_t>(p));
    return result ? std::move(result) : MakeEmpty(ResponseType::BadFrame);
}

Q310ResponsePtr Q310Comm::ParseResponse(std::vector<uint8_t> frame)
{
    const size_t n = frame.size();
    if (n > kMaxFrameLength)
        return MakeEmpty(ResponseType::FrameTooLong);
    if (n <= 4 || frame[0] != kCr || frame[1] != kLf || frame[n - 2] != kCr || frame[n - 1] != kLf)
        return MakeEmpty(ResponseType::BadFrame);

    // Rows in the order they are tried; the first literal that begins the frame owns the
    // line (rows with fields read them, and no later row is tried).
    using Parser = Q310ResponsePtr (*)(FieldReader&);
    struct KeywordRow
    {
        const char* literal;
        Parser parse;
    };
    static const KeywordRow kRows[] = {
        {"\r\nOK\r\n", [](FieldReader&) { return MakeEmpty(ResponseType::Ok); }},
        {"\r\nERROR\r\n", [](FieldReader&) { return MakeEmpty(ResponseType::Error); }},
        {"\r\n+ACTIVE\r\n", [](FieldReader&) { return MakeEmpty(ResponseType::Active); }},
        {"\r\n+INACTIVE\r\n", [](FieldReader&) { return MakeEmpty(ResponseType::Inactive); }},
        {"\r\n+ACTIVE,",
         [](FieldReader& r) { return ParseAddressLine(r, ResponseType::Active, ResponseType::BadActiveAddress); }},
        {"\r\n+INACTIVE,",
         [](FieldReader& r) {
             return ParseAddressLine(r, ResponseType::Inactive, ResponseType::BadInactiveAddress);
         }},
        {"\r\n+READY\r\n", [](FieldReader&) { return MakeEmpty(ResponseType::Ready); }},
        {"\r\n+READY DEBUG MODE\r\n", [](FieldReader&) { return MakeEmpty(ResponseType::Ready); }},
        {"\r\n+INFO,", ParseInfo},
        {"\r\n+NETINFO,", ParseNetInfo},
        {"\r\n+RFCH,",
         [](FieldReader& r) { return ParseNumberLine(r, ResponseType::RfChannel, NumberRule::RfChannel); }},
        {"\r\n+PANID,",
         [](FieldReader& r) { return ParseNumberLine(r, ResponseType::PanId, NumberRule::AnyU16); }},
        {"\r\n+GPIOC,", ParseGpioConfig},
        {"\r\n+GPIOP,", ParseGpioPeriodic},
        {"\r\n+RTSTATUS,",
         [](FieldReader& r) { return ParseNumberLine(r, ResponseType::RfChannel, NumberRule::Status); }},
        {"\r\n+RTRSSI,",
         [](FieldReader& r) { return ParseNumberLine(r, ResponseType::Rssi, NumberRule::AnyU8); }},
        {"\r\n+VER,", ParseVersion},
        {"\r\n+PHYID,",
         [](FieldReader& r) { return ParseNumberLine(r, ResponseType::PhyId, NumberRule::AnyU16); }},
        {"\r\n+QM,", [](FieldReader& r) { return ParseNumberLine(r, ResponseType::QuietMode, NumberRule::Flag); }},
    };

    const char* text = reinterpret_cast<const char*>(frame.data());
    for (const KeywordRow& row : kRows)
        if (MatchPrefix(text, n, row.literal) == 0)
        {
            FieldReader reader(frame, std::strlen(row.literal));
            return row.parse(reader);
        }
    return MakeEmpty(ResponseType::BadFrame);
}

// ---- the client ---------------------------------------------------------------------

Q310Comm::Q310Comm() : m_port(new CSerialportMP(g_ioServiceExec.m_ioContext))
{
    // The port hands its shared_ptr by value; the members take it as an lvalue.
    m_port->m_onRead = [this](std::shared_ptr<CSerialportMP> port, std::error_code& error,
                              const std::vector<unsigned char>& data, unsigned int size) {
        OnSerialRead(port, error, data, size);
    };
    m_port->m_onWrite = [this](std::shared_ptr<CSerialportMP> port, std::error_code& error,
                               unsigned int size) { OnSerialWrite(port, error, size); };
}

Q310Comm::~Q310Comm() { Close(); }

std::error_code Q310Comm::Open(const std::string& portName, uint32_t baudRate, uint8_t dataBits,
                               uint8_t parity, uint8_t stopBits)
{
    const std::error_code error = m_port->Open(portName, baudRate, dataBits, parity, stopBits);
    if (error)
        return error;
    m_closing.exchange(false);
    g_ioServiceExec.OnPortOpened();
    return {};
}

void Q310Comm::Close()
{
    if (!m_port->m_isOpen)
        return;
    m_closing.exchange(true);
    m_rxCondition.notify_all();  // without m_rxMutex: a waiter misses at most one 10 ms wait
    m_port->Close();
    g_ioServiceExec.OnPortClosed();
}

Q310ResponsePtr Q310Comm::Transact(const char* command, uint16_t length, uint32_t commandId,
                                   uint32_t timeoutMs)
{
    Q310ResponsePtr outcome = MakeEmpty(ResponseType::Timeout);
    if (!m_port->m_isOpen)
    {
        outcome->type = ResponseType::PortNotOpen;
        return outcome;
    }

    // Drop reply bytes and unsolicited lines left from earlier transactions.
    {
        std::lock_guard<std::mutex> lock(m_rxMutex);
        m_rxStaging.clear();
    }
    m_parseBuffer.clear();

    m_port->Write(reinterpret_cast<const uint8_t*>(command), length);
    m_txStart = std::chrono::steady_clock::now();

    const std::span<const uint32_t> accepted = AcceptedReplies(commandId);
    GpioEntry gathered[kGpioCount] = {};
    int gatheredLines = 0;
    for (;;)
    {
        const int64_t elapsedMs =
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                                 m_txStart)
                .count() /
            1000000;
        if (elapsedMs > static_cast<int64_t>(timeoutMs))
            return outcome;
        if (FetchReceived() == -1)
        {
            outcome->type = ResponseType::PortClosed;
            return outcome;
        }
        if (m_parseBuffer.size() < 4)
            continue;
        Q310ResponsePtr record = ExtractResponse(m_parseBuffer);
        if (!record)
        {
            outcome->type = ResponseType::NoResponse;
            return outcome;
        }
        if (record->type == ResponseType::BadFrame)
            continue;

        if (commandId == CommandId::QueryGpioConfig)
        {
            // Thirteen lines make the answer; a repeated GPIO overwrites its slot and counts.
            if (record->type != ResponseType::GpioConfig)
                continue;
            const GpioEntry entry = record->PayloadAs<GpioEntry>();
            if (entry.gpio >= kGpioCount)
                continue;
            gathered[entry.gpio] = entry;
            if (++gatheredLines == kGpioCount)
                return MakeRecord(ResponseType::GpioConfig, gathered);
            continue;
        }
        if (std::find(accepted.begin(), accepted.end(), record->type) != accepted.end())
            return record;
        // Anything else is taken as unsolicited and dropped.
    }
}

uint32_t Q310Comm::SetPanId(uint16_t panId)
{
    if (panId == 0 || panId == 0xFFFE || panId == 0xFFFF)
        return ResponseType::Empty;
    char line[32];
    const int length = std::snprintf(line, sizeof line, "AT+PANID=%u\r", static_cast<unsigned>(panId));
    const Q310ResponsePtr record =
        Transact(line, static_cast<uint16_t>(length), CommandId::SetPanId, TimeoutMs(CommandId::SetPanId));
    return record ? record->type : static_cast<uint32_t>(ResponseType::NoResponse);
}

uint32_t Q310Comm::SetGpioConfig(const GpioEntry& entry)
{
    // A GPIO beyond the 16-bit mask gives mask 0 rather than an undefined shift.
    const unsigned mask = entry.gpio < 16 ? (1u << entry.gpio) : 0u;
    char line[64];
    const int length = std::snprintf(line, sizeof line, "AT+GPIOC=%04X,%u,%u\r", mask,
                                     static_cast<unsigned>(entry.ioMode),
                                     static_cast<unsigned>(entry.config));
    const Q310ResponsePtr record = Transact(line, static_cast<uint16_t>(length), CommandId::SetGpioConfig,
                                            TimeoutMs(CommandId::SetGpioConfig));
    return record ? record->type : static_cast<uint32_t>(ResponseType::NoResponse);
}

void Q310Comm::OnSerialRead(std::shared_ptr<CSerialportMP>& /*port*/, std::error_code& error,
                            const std::vector<uint8_t>& data, unsigned int size)
{
    std::lock_guard<std::mutex> lock(m_rxMutex);
    if (error.value() == 0)
    {
        m_dataArrived.exchange(true);  // no notify: the worker's wait ends within 10 ms
        if (size <= kStagingLimit)
        {
            const size_t take = std::min({static_cast<size_t>(size), kStagingLimit - m_rxStaging.size(),
                                          data.size()});
            m_rxStaging.insert(m_rxStaging.end(), data.begin(),
                               data.begin() + static_cast<std::ptrdiff_t>(take));
        }
        return;
    }
    if (!m_closing.load() && m_onError)
        m_onError(this, error);
    else
        m_port->Close();
}

void Q310Comm::OnSerialWrite(std::shared_ptr<CSerialportMP>& /*port*/, std::error_code& error,
                             unsigned int /*size*/)
{
    if (error.value() == 0)
        return;
    if (m_onError)
        m_onError(this, error);
    else
        m_port->Close();
}

int Q310Comm::FetchReceived()
{
    std::unique_lock<std::mutex> lock(m_rxMutex);
    m_rxCondition.wait_for(lock, kFetchWait,
                           [this] { return m_dataArrived.load() || m_closing.load(); });
    if (m_closing.load())
        return -1;
    m_dataArrived.exchange(false);
    if (m_rxStaging.empty())
        return 0;
    m_parseBuffer.insert(m_parseBuffer.end(), m_rxStaging.begin(), m_rxStaging.end());
    m_rxStaging.clear();
    return static_cast<int>(m_parseBuffer.size());
}
