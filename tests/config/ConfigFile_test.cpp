#include "config/ConfigFile.h"
#include "support/CaseName.h"
#include "support/OrdinaryUser.h"
#include "support/Watchdog.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/mount.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

// Items are compared byte for byte: the reader zero-fills what it does not set.
static bool operator==(const ConfigItem& a, const ConfigItem& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

static void PrintTo(const ConfigItem& item, std::ostream* os)
{
    *os << "{kind " << item.kind << ":";
    for (uint8_t b : item.value.bytes)
        *os << " " << unsigned{b};
    *os << "}";
}

namespace {

ConfigItem Item(uint32_t kind)
{
    ConfigItem item{};
    item.kind = kind;
    return item;
}
ConfigItem OpMode(uint8_t v) { auto i = Item(CommandId::SetOpMode); i.value.opMode = v; return i; }
ConfigItem NetRole(uint8_t v) { auto i = Item(CommandId::SetNetRole); i.value.netRole = v; return i; }
ConfigItem PanId(uint16_t v) { auto i = Item(CommandId::SetPanId); i.value.panId = v; return i; }
ConfigItem RfChannel(uint8_t v) { auto i = Item(CommandId::SetRfChannel); i.value.rfChannel = v; return i; }
ConfigItem Quiet(uint8_t v) { auto i = Item(CommandId::SetQuietMode); i.value.quietMode = v; return i; }
ConfigItem Uart(uint32_t baud, uint8_t parity, uint8_t stop, uint8_t data)
{
    auto i = Item(CommandId::SetUart);
    i.value.uart = {baud, parity, stop, data, 0};
    return i;
}
ConfigItem Gpio(uint8_t n, uint8_t mode, uint8_t config)
{
    auto i = Item(CommandId::SetGpioConfig);
    i.value.gpio = {n, mode, config};
    return i;
}
ConfigItem Report(uint32_t ms, uint8_t send)
{
    auto i = Item(CommandId::SetGpioPeriodic);
    i.value.report.reportInterval = ms;
    i.value.report.sendRemote = send;
    return i;
}

// The list the save command builds for the documented example.
std::vector<ConfigItem> ExampleSaveList()
{
    std::vector<ConfigItem> items{OpMode(1), NetRole(1), PanId(1000), RfChannel(99), Uart(115200, 0, 0, 8)};
    for (uint8_t n = 0; n < kGpioCount; ++n)
        items.push_back(Gpio(n, 0, 0));
    items.push_back(Quiet(0));
    items.push_back(Report(0, 0));
    return items;
}

// The same settings in the order the reader produces them.
std::vector<ConfigItem> InReadOrder(std::vector<ConfigItem> items)
{
    static constexpr uint32_t kOrder[] = {18, 9, 11, 13, 29, 7, 15, 17};
    const auto rank = [](const ConfigItem& i) { return std::find(std::begin(kOrder), std::end(kOrder), i.kind) - kOrder; };
    std::stable_sort(items.begin(), items.end(), [&](auto& a, auto& b) { return rank(a) < rank(b); });
    return items;
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Paths here are ASCII, so widening is exact whatever the locale.
std::wstring Wide(const fs::path& path)
{
    const std::string s = path.string();
    return std::wstring(s.begin(), s.end());
}

const fs::path kData = fs::path(__FILE__).parent_path() / "data";

int LoadAndParse(const fs::path& path, std::vector<ConfigItem>& items)
{
    WDocument doc;
    const int loaded = ConfigFile::LoadDocument(Wide(path), doc);
    return loaded != ConfigFile::kLoaded ? 100 + loaded : ConfigFile::ParseDocument(doc, items);
}

// ---- Writing -------------------------------------------------------------------------------

TEST(ConfigFileSave, WritesTheExampleFileByteForByte)
{
    TempDir dir;
    ASSERT_EQ(ConfigFile::Save(Wide(dir / "example.json"), ExampleSaveList()), 0);
    EXPECT_EQ(ReadBytes(dir / "example.json"), ReadBytes(kData / "example.json"));
    EXPECT_EQ(dir.EntryCount(), 1u);  // no temporary file left behind
}

TEST(ConfigFileSave, EmptyListGivesTheEmptySkeletonThatReadsBackAsNoItem)
{
    TempDir dir;
    ASSERT_EQ(ConfigFile::Save(Wide(dir / "empty.json"), {}), 0);
    EXPECT_EQ(ReadBytes(dir / "empty.json"), ReadBytes(kData / "empty.json"));
    std::vector<ConfigItem> items{Item(99)};
    EXPECT_EQ(LoadAndParse(dir / "empty.json", items), 0);
    EXPECT_TRUE(items.empty());
}

TEST(ConfigFileSave, RoundTripsEverySettingInReadOrder)
{
    const std::vector<std::vector<ConfigItem>> lists = {
        ExampleSaveList(),
        {Quiet(1), Report(0xFFFFFFFF, 0), Gpio(12, 2, 1), Gpio(3, 1, 1), Uart(921600, 2, 1, 7), RfChannel(128),
         PanId(65535), NetRole(2), OpMode(255)},
    };
    for (const auto& list : lists)
    {
        TempDir dir;
        ASSERT_EQ(ConfigFile::Save(Wide(dir / "a.json"), list), 0);
        std::vector<ConfigItem> items;
        ASSERT_EQ(LoadAndParse(dir / "a.json", items), 0);
        EXPECT_EQ(items, InReadOrder(list));
    }
    TempDir dir;
    ASSERT_EQ(ConfigFile::Save(Wide(dir / "b.json"), {Quiet(1), Report(5, 0)}), 0);
    const std::string text = ReadBytes(dir / "b.json");
    EXPECT_NE(text.find("\"Quiet Mode\": true,\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Send Remote\": false\r\n"), std::string::npos) << text;
}

TEST(ConfigFileBuildDocument, WritesDuplicatesAsGivenAndSkipsOtherKinds)
{
    rapidjson::Document doc;
    ConfigFile::BuildDocument({PanId(1), Item(CommandId::Ping), PanId(2), Item(99)}, doc);
    const auto& general = doc["General"];
    ASSERT_EQ(general.MemberCount(), 3u);
    auto m = general.MemberBegin();
    EXPECT_STREQ(m->name.GetString(), "PAN ID");
    EXPECT_EQ(m->value.GetUint(), 1u);
    ++m;
    EXPECT_STREQ(m->name.GetString(), "PAN ID");
    EXPECT_EQ(m->value.GetUint(), 2u);
    EXPECT_STREQ((++m)->name.GetString(), "UART");
}

TEST(ConfigFileSave, ReplacesAnExistingFileKeepingItsPermissions)
{
    TempDir dir;
    WriteBytes(dir / "a.json", "old");
    ::chmod((dir / "a.json").c_str(), 0640);
    ASSERT_EQ(ConfigFile::Save(Wide(dir / "a.json"), {}), 0);
    EXPECT_EQ(ReadBytes(dir / "a.json"), ReadBytes(kData / "empty.json"));
    struct stat st;
    ASSERT_EQ(::stat((dir / "a.json").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(ConfigFileSave, NewFileGetsTheUsualModeLessUmask)
{
    TempDir dir;
    const mode_t saved = ::umask(027);
    const int result = ConfigFile::Save(Wide(dir / "new.json"), {});
    ::umask(saved);
    ASSERT_EQ(result, 0);
    struct stat st;
    ASSERT_EQ(::stat((dir / "new.json").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(ConfigFileSave, PathThatCannotBeOpenedGivesMinusOneAndWritesNothing)
{
    TempDir dir;
    // Missing directory.
    EXPECT_EQ(ConfigFile::Save(Wide(dir / "missing" / "a.json"), ExampleSaveList()), -1);
    // The target is a directory: its content stays.
    fs::create_directory(dir / "sub.json");
    WriteBytes(dir / "sub.json" / "keep", "keep");
    EXPECT_EQ(ConfigFile::Save(Wide(dir / "sub.json"), ExampleSaveList()), -1);
    EXPECT_EQ(ReadBytes(dir / "sub.json" / "keep"), "keep");
    EXPECT_EQ(ConfigFile::Save(L"", ExampleSaveList()), -1);
    // A FIFO, like a device, is refused without being opened (opening a device may act on it).
    ASSERT_EQ(::mkfifo((dir / "fifo.json").c_str(), 0666), 0);
    const int reader = ::open((dir / "fifo.json").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(watch, (dir / "fifo.json").c_str(), IN_OPEN), 0);
    EXPECT_EQ(ConfigFile::Save(Wide(dir / "fifo.json"), ExampleSaveList()), -1);
    char event[sizeof(inotify_event) + NAME_MAX + 1];
    EXPECT_LT(::read(watch, event, sizeof event), 0) << "the FIFO was opened";
    ::close(watch);
    ::close(reader);
    EXPECT_EQ(dir.EntryCount(), 2u);
}

TEST(ConfigFileSave, UnrepresentablePathIsRefusedRatherThanNarrowedToAnotherFile)
{
    // A lone surrogate has no encoding in any character set a file name can be in.
    TempDir dir;
    WriteBytes(dir / "caf?.json", "old");  // what a lossy conversion would have named
    const std::wstring path = Wide(dir.Path()) + L"/caf" + wchar_t(0xD800) + L".json";
    EXPECT_EQ(ConfigFile::Save(path, ExampleSaveList()), -1);
    WDocument doc;
    EXPECT_EQ(ConfigFile::LoadDocument(path, doc), ConfigFile::kCannotOpen);
    EXPECT_EQ(ReadBytes(dir / "caf?.json"), "old");
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(ConfigFileSave, SavesAndLoadsAFileInAHangulFolderInTheProcessEnvironment)
{
    // "문서/설정.json"; file names are UTF-8 unless GLib's variables say otherwise, whatever
    // the locale (this process never sets one).
    TempDir dir;
    const fs::path folder = dir / "\xeb\xac\xb8\xec\x84\x9c";
    fs::create_directory(folder);
    const std::wstring path = Wide(dir.Path()) + L"/\uBB38\uC11C/\uC124\uC815.json";
    ASSERT_EQ(ConfigFile::Save(path, ExampleSaveList()), 0);
    EXPECT_EQ(ReadBytes(folder / "\xec\x84\xa4\xec\xa0\x95.json"), ReadBytes(kData / "example.json"));
    WDocument doc;
    std::vector<ConfigItem> items;
    ASSERT_EQ(ConfigFile::LoadDocument(path, doc), ConfigFile::kLoaded);
    EXPECT_EQ(ConfigFile::ParseDocument(doc, items), 0);
    EXPECT_EQ(items, InReadOrder(ExampleSaveList()));
}

TEST(ConfigFileSave, FailedWriteLeavesThePreviousFileUntouched)
{
    TempDir dir;
    WriteBytes(dir / "a.json", "previous content");
    // A file-size limit smaller than the document makes the write fail part way.
    rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = ConfigFile::Save(Wide(dir / "a.json"), ExampleSaveList());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result, -2);
    EXPECT_EQ(ReadBytes(dir / "a.json"), "previous content");
    EXPECT_EQ(dir.EntryCount(), 1u);
}

// Saving must keep what writing the file in place keeps: the file itself (its inode, so
// its other names see the new text), its owner, group and mode, its attributes, and a
// symbolic link; and it must not write where writing in place is refused.
enum class Link { None, Hard, Symbolic, Dangling, OtherUsersSymbolic, MountedOnItself };
constexpr uid_t kSame = static_cast<uid_t>(-1);  // the owner chown leaves as it is
constexpr uid_t kOther = 4242;
constexpr uid_t kNobody = 65534;
constexpr char kUnreachable[] = "user nobody cannot reach the temporary folder; set TMPDIR to one anyone may enter";

struct KeepCase
{
    const char* name;
    mode_t folderMode;    // while saving
    mode_t fileMode;
    uid_t owner, group;   // of "a.json", the file checked
    Link link;            // a second name for it, which is saved to where symbolic
    bool asOrdinaryUser;  // saved by user nobody where the suite runs as root
    bool userAttribute = false;
    int result = 0;       // -1: the file keeps its old text
};

class ConfigFileSaveKeeps : public testing::TestWithParam<KeepCase>
{
};

TEST_P(ConfigFileSaveKeeps, TheFileItsOwnerModeAndLinks)
{
    const KeepCase& c = GetParam();
    if ((c.owner != kSame || c.group != kSame || c.link == Link::OtherUsersSymbolic) && ::geteuid() != 0)
        GTEST_SKIP() << "giving a file or a link to another user or group needs root";
    if (c.link == Link::OtherUsersSymbolic && ReadBytes("/proc/sys/fs/protected_symlinks") != "1\n")
        GTEST_SKIP() << "fs.protected_symlinks is off: the system follows any user's link";
    TempDir dir;
    if (c.asOrdinaryUser && !OrdinaryUserCanReach(dir.Path()))
        GTEST_SKIP() << kUnreachable;
    const fs::path file = dir / "a.json";
    const bool symbolic = c.link == Link::Symbolic || c.link == Link::Dangling || c.link == Link::OtherUsersSymbolic;
    const fs::path saveAs = symbolic ? dir / "link.json" : file;
    if (c.link != Link::Dangling)
    {
        WriteBytes(file, "old");
        ASSERT_EQ(::chown(file.c_str(), c.owner, c.group), 0);
        ASSERT_EQ(::chmod(file.c_str(), c.fileMode), 0);
    }
    if (c.userAttribute && ::setxattr(file.c_str(), "user.q310", "1", 1, 0) != 0)
        GTEST_SKIP() << "no user attributes in the temporary folder: " << std::strerror(errno);
    if (c.link == Link::Hard)
        fs::create_hard_link(file, dir / "b.json");
    else if (symbolic)
        fs::create_symlink("a.json", saveAs);
    if (c.link == Link::OtherUsersSymbolic)
    {
        ASSERT_EQ(::lchown(saveAs.c_str(), kOther, kOther), 0);
    }
    if (c.link == Link::MountedOnItself && ::mount(file.c_str(), file.c_str(), nullptr, MS_BIND, nullptr) != 0)
    {
        GTEST_SKIP() << "cannot bind-mount a file here: " << std::strerror(errno);
    }
    struct stat before{};
    const bool existed = ::stat(file.c_str(), &before) == 0;
    const std::size_t entries = dir.EntryCount();

    ::chmod(dir.Path().c_str(), c.folderMode);
    const auto save = [&] { return ConfigFile::Save(Wide(saveAs), {}); };
    const int result = c.asOrdinaryUser ? RunAsOrdinaryUser(save) : save();
    ::chmod(dir.Path().c_str(), 0755);
    if (c.link == Link::MountedOnItself)
        ::umount(file.c_str());

    ASSERT_EQ(result, c.result);
    EXPECT_EQ(ReadBytes(file), c.result == 0 ? ReadBytes(kData / "empty.json") : "old");
    EXPECT_EQ(fs::is_symlink(saveAs), saveAs != file);
    EXPECT_EQ(dir.EntryCount(), entries + (existed ? 0 : 1));  // no temporary file left
    struct stat after{};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    const auto kept = [](const struct stat& st) { return std::tuple(st.st_uid, st.st_gid, st.st_mode, st.st_nlink); };
    if (existed)
    {
        EXPECT_EQ(kept(after), kept(before)) << "owner, group, mode, links";
    }
    if (c.userAttribute)
    {
        EXPECT_EQ(::getxattr(file.c_str(), "user.q310", nullptr, 0), 1) << "the user attribute";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigFileSaveKeeps,
    testing::Values(
        // No rename can replace a file in a folder the user may not write, and in a sticky
        // folder such as /tmp none can replace another user's file.
        KeepCase{"WritableFileInAReadOnlyFolder", 0555, 0666, kSame, kSame, Link::None, true},
        KeepCase{"OtherUsersFileInAStickyFolder", 01777, 0666, kOther, kOther, Link::None, true},
        KeepCase{"OtherUsersFile", 0777, 0666, kOther, kOther, Link::None, true},
        KeepCase{"OwnFileOfAGroupTheUserIsNotIn", 0777, 0664, kNobody, kOther, Link::None, true},
        KeepCase{"OtherUsersFileSavedByRoot", 0755, 0640, kOther, kOther, Link::None, false},
        KeepCase{"FileWithAnotherName", 0755, 0640, kSame, kSame, Link::Hard, false},
        KeepCase{"SymbolicLinkToAFile", 0755, 0600, kSame, kSame, Link::Symbolic, false},
        KeepCase{"SymbolicLinkToNothingYet", 0777, 0, kSame, kSame, Link::Dangling, true},
        KeepCase{"FileWithAUserAttribute", 0755, 0640, kSame, kSame, Link::None, false, true},
        // A rename onto a mount point fails; writing the file does not.
        KeepCase{"FileMountedOnItsName", 0755, 0640, kSame, kSame, Link::MountedOnItself, false},
        // The system follows no link another user left in a sticky folder, root neither.
        KeepCase{"OtherUsersLinkInAStickyFolderSavedByRoot", 01777, 0600, kSame, kSame, Link::OtherUsersSymbolic,
                 false, false, -1}),
    CaseName());

TEST(ConfigFileSave, WriteProtectedFileGivesMinusOneAndKeepsTheFile)
{
    // The directory lets anyone create and rename; only the file itself is protected.
    TempDir dir;
    if (!OrdinaryUserCanReach(dir.Path()))
        GTEST_SKIP() << kUnreachable;
    WriteBytes(dir / "a.json", "old");
    ::chmod((dir / "a.json").c_str(), 0444);
    ::chmod(dir.Path().c_str(), 0777);
    const int result = RunAsOrdinaryUser([&] { return ConfigFile::Save(Wide(dir / "a.json"), {}); });
    ::chmod(dir.Path().c_str(), 0755);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(ReadBytes(dir / "a.json"), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

// ---- Reading a file ------------------------------------------------------------------------

enum class Utf { U8, U16LE, U16BE, U32LE, U32BE };

std::string Encode(const std::u32string& text, Utf utf, bool bom)
{
    std::string out;
    const auto unit = [&](uint32_t u, int bytes, bool big) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<char>(u >> (8 * (big ? bytes - 1 - i : i))));
    };
    std::u32string all = bom ? U"\uFEFF" + text : text;
    for (char32_t c : all)
    {
        switch (utf)
        {
        case Utf::U8:
            if (c < 0x80) out.push_back(static_cast<char>(c));
            else if (c < 0x800) { out.push_back(char(0xC0 | c >> 6)); out.push_back(char(0x80 | (c & 0x3F))); }
            else if (c < 0x10000) { out.push_back(char(0xE0 | c >> 12)); out.push_back(char(0x80 | (c >> 6 & 0x3F))); out.push_back(char(0x80 | (c & 0x3F))); }
            else { out.push_back(char(0xF0 | c >> 18)); out.push_back(char(0x80 | (c >> 12 & 0x3F))); out.push_back(char(0x80 | (c >> 6 & 0x3F))); out.push_back(char(0x80 | (c & 0x3F))); }
            break;
        case Utf::U16LE:
        case Utf::U16BE:
            if (c >= 0x10000)
            {
                unit(0xD800 + ((c - 0x10000) >> 10), 2, utf == Utf::U16BE);
                unit(0xDC00 + ((c - 0x10000) & 0x3FF), 2, utf == Utf::U16BE);
            }
            else
                unit(c, 2, utf == Utf::U16BE);
            break;
        case Utf::U32LE:
        case Utf::U32BE:
            unit(c, 4, utf == Utf::U32BE);
            break;
        }
    }
    return out;
}

struct EncodingCase
{
    const char* name;
    Utf utf;
    bool bom;
};

class ConfigFileEncoding : public testing::TestWithParam<EncodingCase>
{
};

TEST_P(ConfigFileEncoding, LoadsLikeTheUtf8File)
{
    const std::string example = ReadBytes(kData / "example.json");
    std::u32string text(example.begin(), example.end());
    // An extra member with text outside ASCII and outside the BMP shows the transcoding.
    text.insert(3, U"    \"Note\": \"\uC124\uC815 \u00e9\U0001F600\",\r\n");
    TempDir dir;
    WriteBytes(dir / "a.json", Encode(text, GetParam().utf, GetParam().bom));

    WDocument doc;
    ASSERT_EQ(ConfigFile::LoadDocument(Wide(dir / "a.json"), doc), ConfigFile::kLoaded);
    std::vector<ConfigItem> items;
    EXPECT_EQ(ConfigFile::ParseDocument(doc, items), 0);
    EXPECT_EQ(items, InReadOrder(ExampleSaveList()));
    const auto& note = doc[L"Note"];
    EXPECT_EQ(std::wstring(note.GetString(), note.GetStringLength()),
              (std::wstring{0xC124, 0xC815, L' ', 0xE9, 0xD83D, 0xDE00}));
}

INSTANTIATE_TEST_SUITE_P(Encodings, ConfigFileEncoding,
                         testing::Values(EncodingCase{"Utf8", Utf::U8, false}, EncodingCase{"Utf8Bom", Utf::U8, true},
                                         EncodingCase{"Utf16LE", Utf::U16LE, false},
                                         EncodingCase{"Utf16LEBom", Utf::U16LE, true},
                                         EncodingCase{"Utf16BE", Utf::U16BE, false},
                                         EncodingCase{"Utf16BEBom", Utf::U16BE, true},
                                         EncodingCase{"Utf32LE", Utf::U32LE, false},
                                         EncodingCase{"Utf32LEBom", Utf::U32LE, true},
                                         EncodingCase{"Utf32BE", Utf::U32BE, false},
                                         EncodingCase{"Utf32BEBom", Utf::U32BE, true}),
                         CaseName());

TEST(ConfigFileLoad, RefusesWhatIsNotExactlyOneJsonValueAndKeepsTheDocument)
{
    const std::pair<const char*, std::string> refused[] = {
        {"empty", ""},
        {"not json", "Model Name = Q310D"},
        {"trailing comma", "{\"a\": 1,}"},
        {"comment", "// saved\r\n{}"},
        {"two values", "{} {}"},
        {"bad UTF-8", "{\"a\": \"\xff\xfe\"}"},
        {"unclosed", "{\"Model Name\": \"Q310D\""},
        // A lone surrogate fails a check inside RapidJSON, in an escape and in UTF-32 alike.
        {"lone surrogate escape", R"({"X":"\udc00","General":{"PAN ID":1}})" "\n"},
        {"lone surrogate in UTF-32", Encode(U"{\"X\": \"\xDC00\"}", Utf::U32LE, false)},
    };
    TempDir dir;
    WDocument doc;
    ASSERT_EQ(ConfigFile::LoadDocument(Wide(kData / "example.json"), doc), ConfigFile::kLoaded);
    for (const auto& [name, bytes] : refused)
    {
        WriteBytes(dir / "a.json", bytes);
        EXPECT_EQ(ConfigFile::LoadDocument(Wide(dir / "a.json"), doc), ConfigFile::kNotJson) << name;
        EXPECT_TRUE(doc.IsObject() && doc.HasMember(L"GPIOs")) << name;
    }
    WriteBytes(dir / "a.json", " \t\r\n{}\r\n ");
    EXPECT_EQ(ConfigFile::LoadDocument(Wide(dir / "a.json"), doc), ConfigFile::kLoaded);
    EXPECT_TRUE(doc.ObjectEmpty());
}

TEST(ConfigFileLoad, WhatIsNoRegularFileOfSensibleSizeIsRefusedAtOnce)
{
    Watchdog watchdog(std::chrono::seconds(10), "loading what is no configuration file");
    TempDir dir;
    ::mkfifo((dir / "fifo.json").c_str(), 0666);  // opening it to read waits for a writer
    WriteBytes(dir / "big.json", "{}" + std::string(ConfigFile::kMaxConfigFileSize - 1, ' '));  // a byte too many
    WDocument doc;
    doc.Parse(L"{\"kept\": 1}");
    for (const fs::path& path : {dir / "missing.json", dir.Path(), dir / "fifo.json", fs::path("/dev/zero"), dir / "big.json"})
    {
        EXPECT_EQ(ConfigFile::LoadDocument(Wide(path), doc), ConfigFile::kCannotOpen) << path;
        EXPECT_TRUE(doc.IsObject() && doc.HasMember(L"kept")) << path;
    }
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define Q310_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define Q310_SANITIZED 1
#endif
#endif

TEST(ConfigFileLoad, LargestFileLoadsAndMemoryRunningOutOnItIsARefusalNotACrash)
{
    // Exactly the limit, made of as many values as fit: the dearest file there can be.
    std::string text = "[";
    while (text.size() + 4 < ConfigFile::kMaxConfigFileSize)
        text += "0,";
    text += "0]\n";
    text.resize(ConfigFile::kMaxConfigFileSize, ' ');
    TempDir dir;
    WriteBytes(dir / "a.json", text);
#ifndef Q310_SANITIZED
    // A child process with little address space to spare, and little data within it: space
    // reserved but never used (a finished thread's malloc arena) counts only to the latter.
    // Before the parent's own load, so it inherits no heap that load would leave free.
    const pid_t child = ::fork();
    if (child == 0)
    {
        ::malloc_trim(0);
        constexpr rlim_t kSpare = 2 << 20;  // the file itself fits, its document does not
        int limited = 0;
        std::ifstream status("/proc/self/status");
        for (std::string key; status >> key;)
        {
            rlim_t kb = 0;
            if ((key == "VmSize:" || key == "VmData:") && status >> kb)
            {
                const rlimit limit{kb * 1024 + kSpare, RLIM_INFINITY};
                limited += ::setrlimit(key == "VmSize:" ? RLIMIT_AS : RLIMIT_DATA, &limit) == 0;
            }
        }
        if (limited != 2)
            ::_exit(100);
        WDocument doc;
        ::_exit(ConfigFile::LoadDocument(Wide(dir / "a.json"), doc) & 0xff);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
    EXPECT_EQ(static_cast<int8_t>(WEXITSTATUS(status)), ConfigFile::kNotJson);
#endif
    WDocument doc;
    ASSERT_EQ(ConfigFile::LoadDocument(Wide(dir / "a.json"), doc), ConfigFile::kLoaded);
    EXPECT_EQ(doc.Size(), ConfigFile::kMaxConfigFileSize / 2 - 1);
#ifdef Q310_SANITIZED
    GTEST_SKIP() << "memory limit left out: sanitizers reserve more address space than it would leave";
#endif
}

TEST(ConfigFileLoad, DeepNestingIsRefusedAsUnreadableWithoutOverflowingTheStack)
{
    constexpr std::size_t kDepth = 500000;  // opened and closed, still within the size limit
    const std::string open(kDepth, '['), close(kDepth, ']');
    TempDir dir;
    WDocument doc;
    doc.Parse(L"{\"kept\": 1}");

    for (const std::string& text : {open, open + close, "{\"Junk\": " + open + close + ", \"General\": {}}"})
    {
        WriteBytes(dir / "a.json", text);
        EXPECT_EQ(ConfigFile::LoadDocument(Wide(dir / "a.json"), doc), ConfigFile::kNotJson);
        EXPECT_TRUE(doc.IsObject() && doc.HasMember(L"kept"));  // a refused file changes nothing
    }

    // Nesting as deep as a real file, and somewhat deeper, still loads.
    WriteBytes(dir / "a.json", "{\"Junk\": " + std::string(40, '[') + std::string(40, ']') +
                                   ", \"General\": {\"PAN ID\": 7}}");
    ASSERT_EQ(ConfigFile::LoadDocument(Wide(dir / "a.json"), doc), ConfigFile::kLoaded);
    std::vector<ConfigItem> items;
    EXPECT_EQ(ConfigFile::ParseDocument(doc, items), 0);
    EXPECT_EQ(items, std::vector<ConfigItem>{PanId(7)});
}

// ---- Checking a document -------------------------------------------------------------------

struct ParseCase
{
    const char* name;
    const wchar_t* json;
    int result;
    std::vector<ConfigItem> items;
};

class ConfigFileParse : public testing::TestWithParam<ParseCase>
{
};

TEST_P(ConfigFileParse, GivesTheResultAndTheValidItems)
{
    const ParseCase& c = GetParam();
    WDocument doc;
    doc.Parse(c.json);
    ASSERT_FALSE(doc.HasParseError()) << "test data is not JSON";
    std::vector<ConfigItem> items{Item(99)};  // replaced unless the root is refused
    EXPECT_EQ(ConfigFile::ParseDocument(doc, items), c.result);
    EXPECT_EQ(items, c.items);
}

const ConfigItem kUntouched = Item(99);

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigFileParse,
    testing::Values(
        ParseCase{"RootArray", LR"([{"Model Name": "Q310D"}])", -1, {kUntouched}},
        ParseCase{"RootString", LR"("Q310D")", -1, {kUntouched}},
        ParseCase{"ModelNameNumber", LR"({"Model Name": 310, "General": {"PAN ID": 1}})", -3, {}},
        ParseCase{"ModelNameLetterCase", LR"({"Model Name": "q310d", "General": {"PAN ID": 1}})", -2, {}},
        ParseCase{"ModelNameTrailingSpace", LR"({"Model Name": "Q310D "})", -2, {}},
        ParseCase{"ModelNameWithNulInside", LR"({"Model Name": "Q310D\u0000"})", -2, {}},
        ParseCase{"ModelNameShort", LR"({"Model Name": "Q310"})", -2, {}},
        ParseCase{"ModelNameMissingIsAccepted", LR"({"General": {"RF Channel": 5}})", 0, {RfChannel(5)}},
        ParseCase{"ModelOnly", LR"({"Model Name": "Q310D"})", 0, {}},
        ParseCase{"GeneralItemsComeInTableOrder",
                  LR"({"General": {"UART": {"Databit": 7, "Stopbit": 1, "Parity": 1, "Baudrate": 9600},
                      "Quiet Mode": true, "RF Channel": 7, "Network Role": 2, "PAN ID": 300,
                      "Operation Mode": 4}})",
                  0, {OpMode(4), PanId(300), NetRole(2), RfChannel(7), Quiet(1), Uart(9600, 1, 1, 7)}},
        ParseCase{"FractionIsNoInteger", LR"({"General": {"Operation Mode": 2.0, "RF Channel": 1e1}})", 0, {}},
        ParseCase{"IntegersKeepTheirLowBits",
                  LR"({"General": {"Operation Mode": 258, "Network Role": -1, "RF Channel": 300, "PAN ID": 65541}})",
                  0, {OpMode(2), PanId(5), NetRole(255), RfChannel(44)}},
        ParseCase{"PanIdLargestInt", LR"({"General": {"PAN ID": 2147483647}})", 0, {PanId(65535)}},
        ParseCase{"PanIdBeyondInt", LR"({"General": {"PAN ID": 2147483648, "Operation Mode": -2147483649}})", 0, {}},
        ParseCase{"QuietModeAsNumber", LR"({"General": {"Quiet Mode": 1}})", 0, {}},
        ParseCase{"SendRemoteAsNumberDropsTheReport",
                  LR"({"GPIOs": {"Periodic Report": {"Report Interval": 5, "Send Remote": 1}}})", 0, {}},
        ParseCase{"PeriodicReport",
                  LR"({"GPIOs": {"Periodic Report": {"Send Remote": true, "Report Interval": 60000}}})", 0,
                  {Report(60000, 1)}},
        ParseCase{"ReportIntervalWithFraction",
                  LR"({"GPIOs": {"Periodic Report": {"Report Interval": 1.5, "Send Remote": true}}})", 0, {}},
        ParseCase{"UartWithoutDatabit",
                  LR"({"General": {"Operation Mode": 1, "UART": {"Baudrate": 9600, "Parity": 0, "Stopbit": 0}}})",
                  0, {OpMode(1)}},
        ParseCase{"UartParityAsString",
                  LR"({"General": {"UART": {"Baudrate": 9600, "Parity": "0", "Stopbit": 0, "Databit": 8},
                      "Operation Mode": 1}})",
                  0, {OpMode(1)}},
        ParseCase{"UartBaudrateCutTo32Bits",
                  LR"({"General": {"UART": {"Baudrate": 4294977296, "Parity": 258, "Stopbit": 1, "Databit": 8}}})",
                  0, {Uart(10000, 2, 1, 8)}},
        ParseCase{"UartBaudrateWithFraction",
                  LR"({"General": {"UART": {"Baudrate": 9600.5, "Parity": 0, "Stopbit": 0, "Databit": 8}}})", 0,
                  {}},
        ParseCase{"ConfigsElementWithoutConfig",
                  LR"({"GPIOs": {"Configs": [{"Num": 0, "IoMode": 1, "Config": 1}, {"Num": 1, "IoMode": 0},
                      {"Config": 0, "IoMode": 2, "Num": 2}]}})",
                  0, {Gpio(0, 1, 1), Gpio(2, 2, 0)}},
        ParseCase{"ConfigsElementsThatAreNoIntegerObjects",
                  LR"({"GPIOs": {"Configs": [5, "x", {"Num": "1", "IoMode": 0, "Config": 0},
                      {"Num": 1.5, "IoMode": 0, "Config": 0}, {"Num": 260, "IoMode": 1, "Config": -1}]}})",
                  0, {Gpio(4, 1, 255)}},
        ParseCase{"ConfigsAsObject", LR"({"GPIOs": {"Configs": {"Num": 0, "IoMode": 0, "Config": 0}}})", 0, {}},
        ParseCase{"GpioItemsComeBeforeTheReport",
                  LR"({"GPIOs": {"Periodic Report": {"Report Interval": 1, "Send Remote": false},
                      "Configs": [{"Num": 9, "IoMode": 0, "Config": 2}]}, "General": {"PAN ID": 3}})",
                  0, {PanId(3), Gpio(9, 0, 2), Report(1, 0)}},
        ParseCase{"DuplicateKeyFirstCounts", LR"({"General": {"PAN ID": 10, "PAN ID": 20}})", 0, {PanId(10)}},
        ParseCase{"DuplicateKeyFirstCountsEvenWhenInvalid", LR"({"General": {"PAN ID": "x", "PAN ID": 20}})", 0,
                  {}},
        ParseCase{"DuplicateTypedKeyFirstCounts",
                  LR"({"GPIOs": {"Periodic Report": {"Report Interval": 1, "Send Remote": 0, "Send Remote": true}}})",
                  0, {}},
        ParseCase{"GeneralAsNumberIsAbsent",
                  LR"({"General": 5, "GPIOs": {"Configs": [{"Num": 0, "IoMode": 0, "Config": 0}]}})", 0,
                  {Gpio(0, 0, 0)}},
        ParseCase{"GpiosAsArrayIsAbsent", LR"({"General": {"Operation Mode": 3}, "GPIOs": []})", 0, {OpMode(3)}},
        ParseCase{"NoGpios", LR"({"Model Name": "Q310D", "General": {"Network Role": 1}})", 0, {NetRole(1)}},
        ParseCase{"KeysAreExact",
                  LR"({"general": {"PAN ID": 1}, "General": {"pan id": 5, "PAN ID ": 6, "Operation mode": 1},
                      "GPIOS": {"Configs": []}})",
                  0, {}},
        ParseCase{"OtherMembersAreIgnored",
                  LR"({"Version": [1, {"x": null}], "General": {"Extra": {}, "RF Channel": 0}})", 0,
                  {RfChannel(0)}}),
    CaseName());

TEST(ConfigFileFindTypedMember, MatchesTheFirstMemberByNameAndType)
{
    WDocument doc;
    doc.Parse(LR"({"Send Remote": true, "Report Interval": "5", "Baudrate": 1, "Baudrate": 2})");
    const auto end = doc.MemberEnd();
    const JsonKeyDef sendRemote = ConfigFile::kKeyTable2[7];  // expects false: true is the same type
    const JsonKeyDef interval = ConfigFile::kKeyTable2[6];    // expects a number
    ASSERT_NE(ConfigFile::FindTypedMember(doc, sendRemote), end);
    EXPECT_TRUE(ConfigFile::FindTypedMember(doc, sendRemote)->value.GetBool());
    EXPECT_EQ(ConfigFile::FindTypedMember(doc, interval), end);
    EXPECT_EQ(ConfigFile::FindTypedMember(doc, ConfigFile::kKeyTable1[3])->value.GetInt(), 1);
    EXPECT_EQ(ConfigFile::FindTypedMember(doc, ConfigFile::kKeyTable1[4]), end);  // "Parity" missing
    EXPECT_EQ(ConfigFile::FindTypedMember(doc, JsonKeyDef{99, L"Send Remote", rapidjson::kNumberType}), end);
}

}  // namespace
