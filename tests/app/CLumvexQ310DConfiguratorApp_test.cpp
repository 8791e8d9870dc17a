// The program's start-up takes the user's locale from the environment. Each case runs in a
// child copy of this test program started in that locale (no LC_* variable but LANG), so
// the locale in force is the one the application object took, not one a test set: texts
// beyond ASCII convert, and a file in a Hangul folder saves and loads through the main
// dialog's own commands.

#include <clocale>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "app/CLumvexQ310DConfiguratorDlg.h"
#include "app/res/ResourceIds.h"
#include "config/WideToAnsi.h"
#include "support/CaseName.h"
#include "support/GuiFixtures.h"
#include "support/GuiLocaleChild.h"
#include "support/GuiMainDialogRig.h"
#include "support/SimulatedModem.h"
#include "support/TempDir.h"
#include "support/Watchdog.h"

namespace {

using namespace std::chrono_literals;
using Result = std::pair<int, int>;

constexpr char kHangul[] = "문서";  // UTF-8 in this source, as GTK hands out names
const std::wstring kHangulWide = L"문서";

struct LocaleCase
{
    const char* name;
    const char* lang;
};

class UserLocale : public testing::TestWithParam<LocaleCase>
{
};

TEST_P(UserLocale, HangulTextsConvertAndHangulFoldersHoldFiles)
{
    const LocaleCase& c = GetParam();
    if (!InChildStartedIn(c.lang))
        return;

    // The child: the application object set the locale up at start-up.
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    std::string narrow;
    WideToAnsi(kHangulWide, narrow);
    EXPECT_EQ(narrow, kHangul);
    EXPECT_EQ(AnsiToWide(kHangul), kHangulWide);

    Watchdog watchdog{60s, "start-up locale child"};
    TempProfile profile;
    ScopedLanguage korean(StringTable::Language::Korean);
    const TempDir temp("q310-locale");
    const std::filesystem::path dir = temp / kHangul;
    std::filesystem::create_directory(dir);
    const std::string file = (dir / "설정.json").string();
    {
        SimulatedModem modem;
        MainDialogRig rig;
        rig.Show(modem.SlavePath());
        ASSERT_TRUE(rig.WaitForResults(1));
        ASSERT_EQ(rig.results[0], Result(3, 0));

        // The chooser hands the dialog the name it shows; the program must find the file.
        rig.answers.filePaths.push_back(wxString::FromUTF8(file));
        wxCommandEvent save(wxEVT_MENU, ID_SAVE_CONFIG_FILE);
        rig.dlg->ProcessWindowEvent(save);
        EXPECT_TRUE(std::filesystem::is_regular_file(file));

        rig.answers.filePaths.push_back(wxString::FromUTF8(file));
        wxCommandEvent load(wxEVT_MENU, ID_LOAD_CONFIG_FILE);
        rig.dlg->ProcessWindowEvent(load);
        ASSERT_TRUE(rig.WaitForResults(2));
        EXPECT_EQ(rig.results[1], Result(7, 0));
        ASSERT_GE(rig.answers.Messages().size(), 2u);
        EXPECT_EQ(rig.answers.Messages()[0], L"설정 파일을 저장하였습니다.");
        EXPECT_TRUE(rig.answers.Messages()[1].StartsWith(L"설정 파일 적용을 성공하였습니다."));
        rig.WaitUntilIdle();
    }
}

INSTANTIATE_TEST_SUITE_P(Locales, UserLocale,
                         testing::Values(LocaleCase{"Korean", "ko_KR.UTF-8"},
                                         LocaleCase{"CUtf8", "C.UTF-8"}),
                         CaseName());

}  // namespace
