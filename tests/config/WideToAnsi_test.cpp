#include "config/WideToAnsi.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "support/CaseName.h"

namespace {

// Switches LC_CTYPE for one test and puts the previous setting back.
class CtypeLocale
{
public:
    explicit CtypeLocale(const char* name) : saved_(std::setlocale(LC_CTYPE, nullptr))
    {
        ok_ = std::setlocale(LC_CTYPE, name) != nullptr;
    }
    ~CtypeLocale() { std::setlocale(LC_CTYPE, saved_.c_str()); }
    bool ok() const { return ok_; }

private:
    std::string saved_;
    bool ok_ = false;
};

struct Case
{
    const char* name;
    const char* locale;
    std::wstring in;
    std::string lossy;   // what WideToAnsi gives
    bool strictOk;       // whether WideToAnsiStrict converts it
};

class WideToAnsiCase : public testing::TestWithParam<Case>
{
};

TEST_P(WideToAnsiCase, ConvertsInTheLocaleEncoding)
{
    const Case& c = GetParam();
    CtypeLocale locale(c.locale);
    ASSERT_TRUE(locale.ok()) << c.locale;

    std::string out = "left over";
    WideToAnsi(c.in, out);
    EXPECT_EQ(out, c.lossy);

    std::string strict = "left over";
    EXPECT_EQ(WideToAnsiStrict(c.in, strict), c.strictOk);
    EXPECT_EQ(strict, c.strictOk ? c.lossy : std::string());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WideToAnsiCase,
    testing::Values(
        Case{"EmptyGivesEmpty", "C.UTF-8", L"", "", true},
        Case{"PortNameStaysAscii", "C.UTF-8", L"COM10", "COM10", true},
        Case{"PortNameInTheCLocale", "C", L"/dev/ttyUSB0", "/dev/ttyUSB0", true},
        Case{"Utf8LocaleEncodesEverything", "C.UTF-8", L"caf\u00e9 \uc124\U0001F600",
             "caf\xc3\xa9 \xec\x84\xa4\xf0\x9f\x98\x80", true},
        Case{"CLocaleSubstitutesEachCharacter", "C", L"caf\u00e9\uc124.json", "caf??.json", false},
        Case{"LoneSurrogateIsNotRepresentable", "C.UTF-8", std::wstring(1, wchar_t(0xD800)), "?", false},
        Case{"NulIsKeptButIsNoPath", "C.UTF-8", std::wstring(L"a\0b", 3), std::string("a\0b", 3), false}),
    CaseName());

TEST(AnsiToWide, WidensUpToTheFirstNulAndReplacesOnlyBadBytes)
{
    CtypeLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    EXPECT_EQ(AnsiToWide(""), L"");
    EXPECT_EQ(AnsiToWide("/dev/ttyUSB0"), L"/dev/ttyUSB0");
    EXPECT_EQ(AnsiToWide("caf\xc3\xa9 \xec\x84\xa4"), L"caf\u00e9 \uc124");
    EXPECT_EQ(AnsiToWide(std::string("V1\0junk", 7)), L"V1");
    // A stray byte, and a sequence cut short at the end, cost only themselves.
    EXPECT_EQ(AnsiToWide("V1.\xff" "2"), L"V1.\uFFFD" L"2");
    EXPECT_EQ(AnsiToWide("ab\xec\x84"), L"ab\uFFFD\uFFFD");
}

}  // namespace
