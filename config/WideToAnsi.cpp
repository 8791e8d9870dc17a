#include "config/WideToAnsi.h"

#include <algorithm>
#include <climits>
#include <cwchar>

namespace {

// Converts character by character with a fresh shift state each time, so one character
// that cannot be represented spoils only itself. Returns false at the first such character
// when substitution is not wanted.
bool Narrow(const std::wstring& in, std::string& out, bool substitute)
{
    out.clear();
    out.reserve(in.size());
    char buffer[MB_LEN_MAX];
    for (wchar_t c : in)
    {
        std::mbstate_t state{};
        const std::size_t n = std::wcrtomb(buffer, c, &state);
        if (n == static_cast<std::size_t>(-1))
        {
            if (!substitute)
            {
                out.clear();
                return false;
            }
            out.push_back('?');
            continue;
        }
        out.append(buffer, n);
    }
    return true;
}

}  // namespace

void WideToAnsi(const std::wstring& in, std::string& out)
{
    Narrow(in, out, true);
}

std::wstring AnsiToWide(const std::string& in)
{
    std::wstring out;
    std::mbstate_t state{};
    const char* p = in.data();
    const char* const end = p + std::min(in.find('\0'), in.size());
    while (p < end)
    {
        wchar_t c = 0;
        const std::size_t n = std::mbrtowc(&c, p, static_cast<std::size_t>(end - p), &state);
        if (n == static_cast<std::size_t>(-1) || n == static_cast<std::size_t>(-2))
        {
            out += L'\uFFFD';
            state = std::mbstate_t{};
            ++p;
            continue;
        }
        out += c;
        p += n;
    }
    return out;
}

bool WideToAnsiStrict(const std::wstring& in, std::string& out)
{
    if (in.find(L'\0') != std::wstring::npos)
    {
        out.clear();
        return false;
    }
    return Narrow(in, out, false);
}
