// Pictures of the dialogs and pages in both languages, for looking at the layout.
// Disabled by default; run with --gtest_also_run_disabled_tests --gtest_filter='*Screenshots*'.
// The directory comes from Q310_SHOTS_DIR (default: the working directory).

#include <cstdlib>
#include <string>

#include <wx/choice.h>
#include <wx/frame.h>

#include "app/AppProfile.h"
#include "app/ComConfigDlg.h"
#include "app/GeneralInfoPage.h"
#include "app/GpioConfigPage.h"
#include "support/GuiFixtures.h"

namespace {

std::string ShotPath(const std::string& name, StringTable::Language language)
{
    const char* dir = std::getenv("Q310_SHOTS_DIR");
    return std::string(dir && *dir ? dir : ".") + "/" + name +
           (language == StringTable::Language::Korean ? "-ko" : "-en") + ".png";
}

// Chooses the widest item of every list, in tab order, as a user would (a GPIO's
// configuration list follows its I/O mode).
void ChooseWidestItems(wxWindow* window)
{
    for (wxWindow* child : window->GetChildren())
    {
        auto* choice = wxDynamicCast(child, wxChoice);
        if (!choice || choice->GetCount() == 0)
            continue;
        int widest = 0;
        for (unsigned i = 1; i < choice->GetCount(); ++i)
        {
            if (choice->GetTextExtent(choice->GetString(i)).x >
                choice->GetTextExtent(choice->GetString(widest)).x)
                widest = static_cast<int>(i);
        }
        ChooseItem(window, choice->GetId(), widest);
    }
}

class Screenshots : public GuiTest, public testing::WithParamInterface<StringTable::Language>
{
};

TEST_P(Screenshots, DISABLED_ComConfigDlg)
{
    ScopedLanguage language(GetParam());
    TempSerialPorts ports(kLongPortNames);
    ComConfigDlg dlg;
    dlg.SetPortListRoots(ports.Root(), "/dev");
    ASSERT_TRUE(dlg.CreateFromTemplate());
    for (const char* port : {"/dev/ttyUSB10", "/dev/rfcomm10"})
    {
        AppProfile::WriteProfileString("Default Values", "Serial port name", port);
        dlg.OnInitDialog();
        dlg.Show();
        EXPECT_TRUE(SaveWindowShot(&dlg, ShotPath(std::string("com-config-") + (port + 5), GetParam())));
    }
    dlg.Hide();
}

template <typename Page>
void ShootPage(const std::string& name, StringTable::Language language, bool enable)
{
    auto* frame = new wxFrame(nullptr, wxID_ANY, "page");
    auto* page = new Page;
    ASSERT_TRUE(page->Create(frame));
    page->EnableControls(enable);
    if (enable)
        ChooseWidestItems(page);
    frame->SetClientSize(page->GetSize());
    frame->Show();
    EXPECT_TRUE(SaveWindowShot(page, ShotPath(name, language)));
    frame->Destroy();
}

TEST_P(Screenshots, DISABLED_Pages)
{
    ScopedLanguage language(GetParam());
    ShootPage<GeneralInfoPage>("general-page", GetParam(), true);
    ShootPage<GpioConfigPage>("gpio-page", GetParam(), true);
    ShootPage<GeneralInfoPage>("general-page-disabled", GetParam(), false);
}

INSTANTIATE_TEST_SUITE_P(Languages, Screenshots,
kBothLanguages, LanguageName);

}  // namespace
