#pragma once

#include <rapidjson/document.h>

#include <cstdint>
#include <string>
#include <vector>

#include "device/SharedRecords.h"

// A configuration file as read: a RapidJSON document in UTF-16 (code units held in wchar_t).
using WDocument = rapidjson::GenericDocument<rapidjson::UTF16<>>;

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

    // Results of LoadDocument.
    static constexpr int kLoaded = 0;
    static constexpr int kCannotOpen = -1;  // missing, unreadable, a directory, or a read error
    static constexpr int kNotJson = -2;     // the text is not exactly one JSON value

    // The reader's key tables. The first: "Configs" element keys (Num, IoMode, Config), the
    // "UART" keys and the "GPIOs" keys; the second: the "General" keys and the
    // "Periodic Report" keys. Positions matter: ParseDocument walks them by position.
    static const JsonKeyDef kKeyTable1[9];
    static const JsonKeyDef kKeyTable2[8];

    // Makes document an object holding "Model Name", "General" and "GPIOs", filled from items
    // in list order; items of other kinds are skipped.
    static void BuildDocument(const std::vector<ConfigItem>& items, rapidjson::Document& document);

    // Writes items as a pretty-printed file (UTF-8, CR LF, 4-space indent) at path, which is
    // narrowed to the file-name encoding (WideToFileName). The text goes to a temporary file beside the target
    // first and replaces the target only once it is complete and on disk, so a failure
    // leaves an existing file as it was. 0 success; -1 the path cannot be converted, the
    // temporary file cannot be created or the target cannot be replaced; -2 the writer,
    // a write or the flush to disk failed.
    static int Save(std::wstring path, const std::vector<ConfigItem>& items);

    // Reads the file at path (narrowed like Save's; UTF-8, UTF-16 LE/BE or UTF-32 LE/BE,
    // with or without a byte-order mark) into doc. Parsing is iterative, so deep nesting cannot exhaust the
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
