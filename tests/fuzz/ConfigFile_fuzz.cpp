// Arbitrary bytes as a configuration file: load, check, and when settings come out, save
// them and read them back, which must give the same settings. RapidJSON's own checks are
// active here as in every build (config/JsonAssertion.h): loading turns a failed one into a
// refused file; one that fails anywhere else escapes as an exception and is a crash.

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "config/ConfigFile.h"

namespace {

constexpr std::size_t kMaxInput = 256 * 1024;

struct Scratch
{
    std::string dir;
    std::wstring input, output;

    Scratch()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string name = std::string(tmp && *tmp ? tmp : "/tmp") + "/configfile-fuzz-XXXXXX";
        if (!::mkdtemp(name.data()))
            std::abort();
        dir = name;
        input = Widen(dir + "/in.json");
        output = Widen(dir + "/out.json");
    }
    ~Scratch()
    {
        ::unlink((dir + "/in.json").c_str());
        ::unlink((dir + "/out.json").c_str());
        ::rmdir(dir.c_str());
    }
    static std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }
};

bool SameItems(const std::vector<ConfigItem>& a, const std::vector<ConfigItem>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size > kMaxInput)
        return 0;
    static Scratch scratch;
    {
        FILE* f = std::fopen((scratch.dir + "/in.json").c_str(), "wb");
        if (!f)
            std::abort();
        if (size != 0 && std::fwrite(data, 1, size, f) != size)
            std::abort();
        std::fclose(f);
    }

    WDocument doc;
    if (ConfigFile::LoadDocument(scratch.input, doc) != ConfigFile::kLoaded)
        return 0;
    std::vector<ConfigItem> items;
    if (ConfigFile::ParseDocument(doc, items) != 0 || items.empty())
        return 0;

    // The reader's order is one the writer keeps, so a second pass changes nothing.
    if (ConfigFile::Save(scratch.output, items) != 0)
        std::abort();
    WDocument again;
    std::vector<ConfigItem> reread;
    if (ConfigFile::LoadDocument(scratch.output, again) != ConfigFile::kLoaded ||
        ConfigFile::ParseDocument(again, reread) != 0 || !SameItems(items, reread))
        std::abort();
    return 0;
}
