#include "config/WideToFileName.h"

#include <iconv.h>

#include <cstdlib>
#include <cstring>
#include <utility>

#include "config/WideToAnsi.h"

namespace {

constexpr char kLocaleEncoding[] = "@locale";

std::string FileNameEncoding()
{
    const char* list = std::getenv("G_FILENAME_ENCODING");
    if (list != nullptr && *list != '\0')
        return std::string(list, std::strcspn(list, ","));
    if (std::getenv("G_BROKEN_FILENAMES") != nullptr)
        return kLocaleEncoding;
    return "UTF-8";
}

}  // namespace

bool WideToFileName(const std::wstring& in, std::string& out)
{
    const std::string encoding = FileNameEncoding();
    if (encoding == kLocaleEncoding)
        return WideToAnsiStrict(in, out);

    out.clear();
    if (in.find(L'\0') != std::wstring::npos)
        return false;
    const iconv_t cd = ::iconv_open(encoding.c_str(), "WCHAR_T");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    // No character set takes more than 16 bytes for one character, shift sequences included.
    std::string buffer(in.size() * 16 + 16, '\0');
    char* src = reinterpret_cast<char*>(const_cast<wchar_t*>(in.data()));
    std::size_t srcLeft = in.size() * sizeof(wchar_t);
    char* dst = buffer.data();
    std::size_t dstLeft = buffer.size();
    // Anything but a conversion that is exact and complete (an irreversible one counts
    // in the result) is refused; the second call ends a shift state.
    const bool converted = ::iconv(cd, &src, &srcLeft, &dst, &dstLeft) == 0 &&
                           ::iconv(cd, nullptr, nullptr, &dst, &dstLeft) == 0;
    ::iconv_close(cd);
    buffer.resize(buffer.size() - dstLeft);
    if (!converted || buffer.find('\0') != std::string::npos)
        return false;
    out = std::move(buffer);
    return true;
}
