#include "app/res/StringTable.h"

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "app/res/ResourceIds.h"
#include "support/CaseName.h"

namespace {

struct LocaleCase
{
    const char* name;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    const char* language;  // LANGUAGE
    StringTable::Language expected;
};

class StringTableLocale : public testing::TestWithParam<LocaleCase>
{
protected:
    static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"};
    void SetUp() override
    {
        for (const char* name : kNames)
        {
            const char* v = std::getenv(name);
            m_saved.push_back(v ? std::string(v) : std::string("\x01"));
        }
    }
    void TearDown() override
    {
        for (std::size_t i = 0; i < std::size(kNames); ++i)
            Set(kNames[i], m_saved[i] == "\x01" ? nullptr : m_saved[i].c_str());
    }
    static void Set(const char* name, const char* value)
    {
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    std::vector<std::string> m_saved;
};

TEST_P(StringTableLocale, PicksKoreanOnlyForAKoreanLocale)
{
    const LocaleCase& c = GetParam();
    Set("LC_ALL", c.lcAll);
    Set("LC_MESSAGES", c.lcMessages);
    Set("LANG", c.lang);
    Set("LANGUAGE", c.language);
    EXPECT_EQ(StringTable::DetectLanguage(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, StringTableLocale,
    testing::Values(
        LocaleCase{"LangKorean", nullptr, nullptr, "ko_KR.UTF-8", nullptr, StringTable::Language::Korean},
        LocaleCase{"LangEnglish", nullptr, nullptr, "en_US.UTF-8", nullptr, StringTable::Language::English},
        LocaleCase{"NothingSet", nullptr, nullptr, nullptr, nullptr, StringTable::Language::English},
        LocaleCase{"LcAllWins", "C", nullptr, "ko_KR.UTF-8", nullptr, StringTable::Language::English},
        LocaleCase{"EmptyLcAllIsSkipped", "", "ko_KR", "en_GB", nullptr, StringTable::Language::Korean},
        LocaleCase{"KoreanOtherEncoding", "ko_KR.eucKR", nullptr, "de_DE", nullptr, StringTable::Language::Korean},
        LocaleCase{"LanguageFirstEntryWins", nullptr, nullptr, "en_US.UTF-8", "ko:en", StringTable::Language::Korean},
        LocaleCase{"LanguageEnglishFirst", nullptr, nullptr, "ko_KR.UTF-8", "en_GB:ko", StringTable::Language::English},
        LocaleCase{"LanguageSkipsLanguagesWithoutTexts", nullptr, nullptr, "en_US.UTF-8", "fr:ko_KR:en", StringTable::Language::Korean},
        LocaleCase{"LanguageEnglishAfterAnother", nullptr, nullptr, "ko_KR.UTF-8", "de::en_US:ko", StringTable::Language::English},
        LocaleCase{"LanguageWithNoKnownEntryLeavesItToTheLocale", nullptr, nullptr, "ko_KR.UTF-8", "fr:kok:de", StringTable::Language::Korean},
        LocaleCase{"LanguageIgnoredInTheCLocale", "C", nullptr, nullptr, "ko", StringTable::Language::English},
        LocaleCase{"LanguageIgnoredWithoutALocale", nullptr, nullptr, nullptr, "ko", StringTable::Language::English},
        LocaleCase{"EmptyLanguageIsSkipped", nullptr, nullptr, "ko_KR.UTF-8", "", StringTable::Language::Korean},
        LocaleCase{"KonkaniIsNotKorean", nullptr, nullptr, "kok_IN.UTF-8", nullptr, StringTable::Language::English}),
    CaseName());

TEST(StringTable, HoldsEveryQuotedEntryInBothLanguages)
{
    using L = StringTable::Language;
    for (int id : {101, 107, 109, 112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123, 124,
                   125, 126, 127, 128, 129, 130})
    {
        EXPECT_FALSE(StringTable::Load(id, L::Korean).empty()) << id;
        EXPECT_FALSE(StringTable::Load(id, L::English).empty()) << id;
        EXPECT_NE(StringTable::Load(id, L::Korean), StringTable::Load(id, L::English)) << id;
    }
    EXPECT_TRUE(StringTable::Load(108).empty());
    EXPECT_TRUE(StringTable::Load(131).empty());
}

TEST(StringTable, KeepsTheTextsByteForByte)
{
    using L = StringTable::Language;
    EXPECT_EQ(StringTable::Load(IDS_APPLY, L::Korean), wxString(L"적 용"));
    EXPECT_EQ(StringTable::Load(IDS_INVALID_GPIO_INTERVAL, L::English),
              "Invalid GPIO  report interval is set");
    EXPECT_EQ(StringTable::Load(IDS_GENERAL_APPLY_DONE, L::English),
              "General settings are applied successfully.\r\nChanges will be applied after restart "
              "the device");
    EXPECT_EQ(StringTable::Load(IDS_COM_CONFIG_TITLE, L::English),
              "Configuring parameters for communication with device");
}

TEST(StringTable, LoadFollowsTheChosenLanguage)
{
    const StringTable::Language previous = StringTable::GetLanguage();
    StringTable::SetLanguage(StringTable::Language::English);
    EXPECT_EQ(LoadString(IDS_PORT_CLOSED), "Serial port closed");
    StringTable::SetLanguage(StringTable::Language::Korean);
    EXPECT_EQ(LoadString(IDS_PORT_CLOSED), wxString(L"COM 포트 닫힘"));
    StringTable::SetLanguage(previous);
}

}  // namespace
