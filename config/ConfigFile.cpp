#include "config/ConfigFile.h"

#include <rapidjson/encodedstream.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/prettywriter.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <new>

#include "config/ReplaceFile.h"
#include "config/WideToFileName.h"

const JsonKeyDef ConfigFile::kKeyTable1[9] = {
    {12, L"Num", rapidjson::kNullType},
    {13, L"IoMode", rapidjson::kNullType},
    {14, L"Config", rapidjson::kNullType},
    {6, L"Baudrate", rapidjson::kNumberType},
    {7, L"Parity", rapidjson::kNumberType},
    {8, L"Stopbit", rapidjson::kNumberType},
    {9, L"Databit", rapidjson::kNumberType},
    {10, L"Configs", rapidjson::kNullType},
    {11, L"Periodic Report", rapidjson::kNullType},
};

const JsonKeyDef ConfigFile::kKeyTable2[8] = {
    {0, L"Operation Mode", rapidjson::kNullType},
    {1, L"PAN ID", rapidjson::kNullType},
    {2, L"Network Role", rapidjson::kNullType},
    {3, L"RF Channel", rapidjson::kNullType},
    {4, L"Quiet Mode", rapidjson::kNullType},
    {5, L"UART", rapidjson::kNullType},
    {15, L"Report Interval", rapidjson::kNumberType},
    {16, L"Send Remote", rapidjson::kFalseType},
};

namespace {

using WValue = WDocument::ValueType;
using rapidjson::StringRef;

constexpr char kModelName[] = "Q310D";
constexpr wchar_t kModelNameW[] = L"Q310D";

// The file's text is the same on every platform: line breaks are CR LF wherever it is
// written. The writer only emits '\n' between tokens (inside strings it is escaped).
class CrLfStringStream
{
public:
    typedef char Ch;
    explicit CrLfStringStream(std::string& out) : out_(out) {}
    void Put(char c)
    {
        if (c == '\n')
            out_.push_back('\r');
        out_.push_back(c);
    }
    void Flush() {}

private:
    std::string& out_;
};

// An integral number as 64-bit two's complement, from which the items take their low bits.
// A number with a fraction or an exponent, one outside the 64-bit range, or a value that is
// no number at all has no sensible setting value and is refused.
bool IntegerBits(const WValue& value, uint64_t& bits)
{
    if (value.IsInt64())
        bits = static_cast<uint64_t>(value.GetInt64());
    else if (value.IsUint64())
        bits = value.GetUint64();
    else
        return false;
    return true;
}

ConfigItem MakeItem(uint32_t kind)
{
    ConfigItem item{};
    item.kind = kind;
    return item;
}

void AddByteItem(std::vector<ConfigItem>& items, uint32_t kind, uint8_t ConfigItem::Value::*field,
                 int value)
{
    ConfigItem item = MakeItem(kind);
    item.value.*field = static_cast<uint8_t>(value);
    items.push_back(item);
}

// "General": one item per valid member, in the order of the second key table.
void ParseGeneral(const WValue& general, std::vector<ConfigItem>& items)
{
    for (int i = 0; i < 6; ++i)
    {
        const JsonKeyDef& key = ConfigFile::kKeyTable2[i];
        const auto member = general.FindMember(key.name);
        if (member == general.MemberEnd())
            continue;
        const WValue& value = member->value;
        // The four numbers must be integers that fit 32 signed bits; items keep the low bits.
        const bool isInt = value.IsInt();
        switch (key.keyId)
        {
        case 0:  // "Operation Mode"
            if (isInt)
                AddByteItem(items, CommandId::SetOpMode, &ConfigItem::Value::opMode, value.GetInt());
            break;
        case 1:  // "PAN ID"
            if (isInt)
            {
                ConfigItem item = MakeItem(CommandId::SetPanId);
                item.value.panId = static_cast<uint16_t>(value.GetInt());
                items.push_back(item);
            }
            break;
        case 2:  // "Network Role"
            if (isInt)
                AddByteItem(items, CommandId::SetNetRole, &ConfigItem::Value::netRole, value.GetInt());
            break;
        case 3:  // "RF Channel"
            if (isInt)
                AddByteItem(items, CommandId::SetRfChannel, &ConfigItem::Value::rfChannel, value.GetInt());
            break;
        case 4:  // "Quiet Mode"
            if (value.IsBool())
                AddByteItem(items, CommandId::SetQuietMode, &ConfigItem::Value::quietMode, value.GetBool() ? 1 : 0);
            break;
        case 5:  // "UART": all four members or none
        {
            if (!value.IsObject())
                break;
            uint64_t bits[4];
            bool complete = true;
            for (int k = 0; k < 4 && complete; ++k)
            {
                const auto field = ConfigFile::FindTypedMember(value, ConfigFile::kKeyTable1[3 + k]);
                complete = field != value.MemberEnd() && IntegerBits(field->value, bits[k]);
            }
            if (!complete)
                break;
            ConfigItem item = MakeItem(CommandId::SetUart);
            item.value.uart.baud = static_cast<uint32_t>(bits[0]);
            item.value.uart.parity = static_cast<uint8_t>(bits[1]);
            item.value.uart.stopBits = static_cast<uint8_t>(bits[2]);
            item.value.uart.dataBits = static_cast<uint8_t>(bits[3]);
            items.push_back(item);
            break;
        }
        default:
            break;
        }
    }
}

// "Configs": one kind-15 item per object element that holds all three members.
void ParseGpioConfigs(const WValue& configs, std::vector<ConfigItem>& items)
{
    for (const WValue& element : configs.GetArray())
    {
        if (!element.IsObject())
            continue;
        uint64_t bits[3];
        bool complete = true;
        for (int k = 0; k < 3 && complete; ++k)
        {
            const auto field = element.FindMember(ConfigFile::kKeyTable1[k].name);
            complete = field != element.MemberEnd() && IntegerBits(field->value, bits[k]);
        }
        if (!complete)
            continue;
        ConfigItem item = MakeItem(CommandId::SetGpioConfig);
        item.value.gpio.gpio = static_cast<uint8_t>(bits[0]);
        item.value.gpio.ioMode = static_cast<uint8_t>(bits[1]);
        item.value.gpio.config = static_cast<uint8_t>(bits[2]);
        items.push_back(item);
    }
}

void ParsePeriodicReport(const WValue& report, std::vector<ConfigItem>& items)
{
    const auto interval = ConfigFile::FindTypedMember(report, ConfigFile::kKeyTable2[6]);
    const auto sendRemote = ConfigFile::FindTypedMember(report, ConfigFile::kKeyTable2[7]);
    uint64_t bits = 0;
    if (interval == report.MemberEnd() || sendRemote == report.MemberEnd() ||
        !IntegerBits(interval->value, bits))
        return;
    ConfigItem item = MakeItem(CommandId::SetGpioPeriodic);
    item.value.report.reportInterval = static_cast<uint32_t>(bits);
    item.value.report.sendRemote = sendRemote->value.GetBool() ? 1 : 0;
    items.push_back(item);
}

// Closes a descriptor when the reading is done, however it ends.
struct FileDescriptor
{
    explicit FileDescriptor(int descriptor) : fd(descriptor) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    const int fd;
};

// Deeper than any configuration file nests (root, "GPIOs", "Configs", element).
constexpr unsigned kMaxNesting = 64;

// Hands the parser's events on to the document being built, and refuses nesting deeper
// than kMaxNesting, so a hostile file is refused like any other unreadable one instead of
// costing memory for nothing.
class NestingLimit
{
public:
    using Ch = WDocument::Ch;
    explicit NestingLimit(WDocument& doc) : m_doc(doc) {}

    bool Null() { return m_doc.Null(); }
    bool Bool(bool b) { return m_doc.Bool(b); }
    bool Int(int i) { return m_doc.Int(i); }
    bool Uint(unsigned u) { return m_doc.Uint(u); }
    bool Int64(int64_t i) { return m_doc.Int64(i); }
    bool Uint64(uint64_t u) { return m_doc.Uint64(u); }
    bool Double(double d) { return m_doc.Double(d); }
    bool RawNumber(const Ch* s, rapidjson::SizeType n, bool copy) { return m_doc.RawNumber(s, n, copy); }
    bool String(const Ch* s, rapidjson::SizeType n, bool copy) { return m_doc.String(s, n, copy); }
    bool Key(const Ch* s, rapidjson::SizeType n, bool copy) { return m_doc.Key(s, n, copy); }
    bool StartObject() { return ++m_depth <= kMaxNesting && m_doc.StartObject(); }
    bool EndObject(rapidjson::SizeType n) { --m_depth; return m_doc.EndObject(n); }
    bool StartArray() { return ++m_depth <= kMaxNesting && m_doc.StartArray(); }
    bool EndArray(rapidjson::SizeType n) { --m_depth; return m_doc.EndArray(n); }

private:
    WDocument& m_doc;
    unsigned m_depth = 0;
};

// Fills a document from the stream through NestingLimit (see WDocument::Populate).
template <typename Stream>
struct LimitedParse
{
    Stream& input;
    rapidjson::ParseResult result;

    bool operator()(WDocument& doc)
    {
        NestingLimit handler(doc);
        rapidjson::GenericReader<rapidjson::AutoUTF<unsigned>, rapidjson::UTF16<>, JsonAllocator> reader;
        // Iterative: a deeply nested text must not exhaust the stack before the limit is seen.
        result = reader.Parse<rapidjson::kParseIterativeFlag>(input, handler);
        return !result.IsError();
    }
};

}  // namespace

void ConfigFile::BuildDocument(const std::vector<ConfigItem>& items, rapidjson::Document& document)
{
    using rapidjson::Value;
    auto& allocator = document.GetAllocator();
    document.SetObject();
    document.AddMember(StringRef("Model Name"), StringRef(kModelName), allocator);

    Value general(rapidjson::kObjectType);
    Value uart(rapidjson::kObjectType);
    Value gpios(rapidjson::kObjectType);
    Value configs(rapidjson::kArrayType);
    Value report(rapidjson::kObjectType);

    for (const ConfigItem& item : items)
    {
        const ConfigItem::Value& v = item.value;
        switch (item.kind)
        {
        case CommandId::SetOpMode:
            general.AddMember(StringRef("Operation Mode"), Value(unsigned{v.opMode}), allocator);
            break;
        case CommandId::SetNetRole:
            general.AddMember(StringRef("Network Role"), Value(unsigned{v.netRole}), allocator);
            break;
        case CommandId::SetPanId:
            general.AddMember(StringRef("PAN ID"), Value(unsigned{v.panId}), allocator);
            break;
        case CommandId::SetRfChannel:
            general.AddMember(StringRef("RF Channel"), Value(unsigned{v.rfChannel}), allocator);
            break;
        case CommandId::SetQuietMode:
            general.AddMember(StringRef("Quiet Mode"), Value(v.quietMode == 1), allocator);
            break;
        case CommandId::SetUart:
            uart.AddMember(StringRef("Baudrate"), Value(unsigned{v.uart.baud}), allocator);
            uart.AddMember(StringRef("Parity"), Value(unsigned{v.uart.parity}), allocator);
            uart.AddMember(StringRef("Stopbit"), Value(unsigned{v.uart.stopBits}), allocator);
            uart.AddMember(StringRef("Databit"), Value(unsigned{v.uart.dataBits}), allocator);
            break;
        case CommandId::SetGpioConfig:
        {
            Value entry(rapidjson::kObjectType);
            entry.AddMember(StringRef("Num"), Value(unsigned{v.gpio.gpio}), allocator);
            entry.AddMember(StringRef("IoMode"), Value(unsigned{v.gpio.ioMode}), allocator);
            entry.AddMember(StringRef("Config"), Value(unsigned{v.gpio.config}), allocator);
            configs.PushBack(entry, allocator);
            break;
        }
        case CommandId::SetGpioPeriodic:
            report.AddMember(StringRef("Report Interval"), Value(unsigned{v.report.reportInterval}),
                             allocator);
            report.AddMember(StringRef("Send Remote"), Value(v.report.sendRemote == 1), allocator);
            break;
        default:
            break;
        }
    }

    general.AddMember(StringRef("UART"), uart, allocator);
    gpios.AddMember(StringRef("Configs"), configs, allocator);
    gpios.AddMember(StringRef("Periodic Report"), report, allocator);
    document.AddMember(StringRef("General"), general, allocator);
    document.AddMember(StringRef("GPIOs"), gpios, allocator);
}

int ConfigFile::Save(std::wstring path, const std::vector<ConfigItem>& items)
{
    rapidjson::Document document;
    std::string target;
    if (!WideToFileName(path, target))
        return -1;
    BuildDocument(items, document);

    std::string text;
    CrLfStringStream stream(text);
    rapidjson::PrettyWriter<CrLfStringStream> writer(stream);
    writer.SetIndent(' ', 4);
    if (!document.Accept(writer))
        return -2;
    return ReplaceFile(target, text);
}

int ConfigFile::LoadDocument(const std::wstring& path, WDocument& doc)
{
    std::string name;
    if (!WideToFileName(path, name))
        return kCannotOpen;
    // Only a regular file of sensible size. The name is checked before opening, as opening
    // a device can act on it (a serial port raises its control lines), and the descriptor
    // again after, in case the name changed meanwhile; opening does not wait for a FIFO's writer.
    const auto isConfigFile = [](const struct stat& st) {
        return S_ISREG(st.st_mode) && static_cast<uintmax_t>(st.st_size) <= kMaxConfigFileSize;
    };
    struct stat st;
    if (::stat(name.c_str(), &st) != 0 || !isConfigFile(st))
        return kCannotOpen;
    const FileDescriptor file{::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    if (file.fd < 0 || ::fstat(file.fd, &st) != 0 || !isConfigFile(st))
        return kCannotOpen;

    try
    {
        // Read to the end, as the file may have grown since.
        std::string bytes;
        bytes.reserve(static_cast<std::size_t>(st.st_size));
        char chunk[16384];
        for (;;)
        {
            const ssize_t n = ::read(file.fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return kCannotOpen;
            if (n == 0)
                break;
            bytes.append(chunk, static_cast<std::size_t>(n));
            if (bytes.size() > kMaxConfigFileSize)
                return kCannotOpen;
        }

        rapidjson::MemoryStream raw(bytes.data(), bytes.size());
        rapidjson::AutoUTFInputStream<unsigned, rapidjson::MemoryStream> input(raw, rapidjson::kUTF8);
        // Parsed into a document of its own, so a refused file leaves doc as it was and an
        // accepted one releases the memory of the previous document.
        WDocument parsed;
        LimitedParse<decltype(input)> parse{input, {}};
        parsed.Populate(parse);
        if (parse.result.IsError())
            return kNotJson;
        doc.Swap(parsed);
        return kLoaded;
    }
    catch (const JsonAssertion&)
    {
        return kNotJson;
    }
    catch (const std::bad_alloc&)
    {
        return kNotJson;
    }
}

int ConfigFile::ParseDocument(const WDocument& document, std::vector<ConfigItem>& items)
{
    if (!document.IsObject())
        return -1;
    items.clear();

    const auto model = document.FindMember(L"Model Name");
    if (model != document.MemberEnd())
    {
        if (!model->value.IsString())
            return -3;
        const std::size_t length = std::size(kModelNameW) - 1;
        const wchar_t* name = model->value.GetString();
        if (model->value.GetStringLength() != length || !std::equal(name, name + length, kModelNameW))
            return -2;
    }

    const auto general = document.FindMember(L"General");
    if (general != document.MemberEnd() && general->value.IsObject())
        ParseGeneral(general->value, items);

    const auto gpios = document.FindMember(L"GPIOs");
    if (gpios == document.MemberEnd() || !gpios->value.IsObject())
        return 0;
    const WValue& g = gpios->value;
    const auto configs = g.FindMember(kKeyTable1[7].name);
    if (configs != g.MemberEnd() && configs->value.IsArray())
        ParseGpioConfigs(configs->value, items);
    const auto report = g.FindMember(kKeyTable1[8].name);
    if (report != g.MemberEnd() && report->value.IsObject())
        ParsePeriodicReport(report->value, items);
    return 0;
}

WDocument::ConstMemberIterator ConfigFile::FindTypedMember(const WDocument::ValueType& object,
                                                           const JsonKeyDef& key)
{
    const auto member = object.FindMember(key.name);
    if (member == object.MemberEnd())
        return object.MemberEnd();
    const uint32_t type = member->value.GetType();
    const auto isBoolType = [](uint32_t t) { return t == rapidjson::kFalseType || t == rapidjson::kTrueType; };
    if (isBoolType(type) && isBoolType(key.expectedType))
        return member;
    return type == key.expectedType ? member : object.MemberEnd();
}
