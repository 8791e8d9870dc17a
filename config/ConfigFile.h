#pragma once

#include "config/JsonAssertion.h"

#include <rapidjson/document.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/JsonAllocator.h"
#include "device/SharedRecords.h"

// A configuration file as read: a RapidJSON document in UTF-16 (code units held in wchar_t)
// with its memory-pool allocator, whose memory running out throws instead of going on.
using WDocument = rapidjson::GenericDocument<rapidjson::UTF16<>, rapidjson::MemoryPoolAllocator<JsonAllocator>,
                                             JsonAllocator>;

// One key the reader looks up.
struct JsonKeyDef
{
    uint32_t keyId;        // the key's own number, not a CommandId
    const wchar_t* name;   // the key exactly, compared case-sensitively
    uint32_t expectedType; // a rapidjson::Type; read by ConfigFile::FindTypedMember only
};

// Conversion between a configuration (a list of setting items) and the JSON configuration
// file of the "Q310D" model. Stateless: every operation works only on its arguments.
class ConfigFile
{
public:
    ConfigFile() = delete;

    // Results of LoadDocument; the user is told the same for both failures.
    static constexpr int kLoaded = 0;
    // Missing or unreadable; not a regular file (a directory, a FIFO, a device); larger than
    // kMaxConfigFileSize; or a read error. A path that cannot be narrowed gives this too.
    static constexpr int kCannotOpen = -1;
    // The text is not exactly one JSON value, or reading it into a document failed (memory
    // ran out, or a check inside RapidJSON failed, as on a lone surrogate escape).
    static constexpr int kNotJson = -2;

    // The largest file LoadDocument reads: a real one holds about 2 KB. Far more than any
    // configuration, yet small enough that even the costliest such text makes a document of
    // a few tens of MB at most.
    static constexpr std::size_t kMaxConfigFileSize = std::size_t{1} << 20;

    // The reader's key tables. The first: "Configs" element keys (Num, IoMode, Config), the
    // "UART" keys and the "GPIOs" keys; the second: the "General" keys and the
    // "Periodic Report" keys. Positions matter: ParseDocument walks them by position.
    static const JsonKeyDef kKeyTable1[9];
    static const JsonKeyDef kKeyTable2[8];

    // Makes document an object holding "Model Name", "General" and "GPIOs", filled from items
    // in list order; items of other kinds are skipped.
    static void BuildDocument(const std::vector<ConfigItem>& items, rapidjson::Document& document);

    // Writes items as a pretty-printed file (UTF-8, CR LF, 4-space indent) at path, which is
    // narrowed to the file-name encoding (WideToFileName), through ReplaceFile. 0 success;
    // -1 the path cannot be converted, or ReplaceFile's -1; -2 the writer failed, or
    // ReplaceFile's -2.
    static int Save(std::wstring path, const std::vector<ConfigItem>& items);

    // Reads the file at path (narrowed like Save's; UTF-8, UTF-16 LE/BE or UTF-32 LE/BE,
    // with or without a byte-order mark) into doc. Only a regular file of at most
    // kMaxConfigFileSize bytes is read; a FIFO or a device is refused without waiting (a
    // device is not even opened). Parsing is iterative, so deep nesting cannot exhaust the
    // stack. On success doc is replaced as a whole (its earlier memory is released);
    // otherwise doc is left as it was. Returns kLoaded, kCannotOpen or kNotJson.
    static int LoadDocument(const std::wstring& path, WDocument& doc);

    // Checks document and replaces items with the settings it holds, in the order 18, 9, 11,
    // 13, 29, 7, one 15 per valid "Configs" element, 17. 0 accepted (even with no item);
    // -1 the root is not an object (items untouched); -2 "Model Name" is not "Q310D";
    // -3 "Model Name" is not a string (items empty for -2 and -3).
    static int ParseDocument(const WDocument& document, std::vector<ConfigItem>& items);

    // The first member of object named key.name when its value has key.expectedType (false
    // and true count as one type), else object.MemberEnd(). object must be an object.
    static WDocument::ConstMemberIterator FindTypedMember(const WDocument::ValueType& object,
                                                          const JsonKeyDef& key);
};
