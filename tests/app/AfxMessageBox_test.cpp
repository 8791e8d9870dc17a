#include "app/AfxMessageBox.h"

#include <wx/app.h>

#include "app/res/ResourceIds.h"
#include "support/CaseName.h"
#include "support/GuiFixtures.h"

namespace {

struct StyleCase
{
    const char* name;
    unsigned style;
    long expected;
};

class MessageBoxStyle : public testing::TestWithParam<StyleCase>
{
};

TEST_P(MessageBoxStyle, MapsButtonsAndIcon)
{
    EXPECT_EQ(MessageBoxStyleToWx(GetParam().style), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, MessageBoxStyle,
    testing::Values(StyleCase{"OkNoIcon", MB_OK, wxOK | wxICON_NONE},
                    StyleCase{"Error", MB_ICONERROR, wxOK | wxICON_ERROR},
                    StyleCase{"Information", MB_ICONINFORMATION, wxOK | wxICON_INFORMATION},
                    StyleCase{"Exclamation", MB_OK | MB_ICONEXCLAMATION, wxOK | wxICON_WARNING},
                    StyleCase{"YesNoQuestion", MB_YESNO | MB_ICONQUESTION,
                              wxYES_NO | wxICON_QUESTION}),
    CaseName());

using AfxMessageBoxTest = GuiTest;

TEST_F(AfxMessageBoxTest, ShowsTheTextWithTheAppNameAndReturnsTheAnswer)
{
    ShownMessageBox shown;
    int result = 0;
    wxTEST_DIALOG(result = AfxMessageBox("hello", MB_ICONERROR), ExpectMessageBox(shown, wxID_OK));
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(shown.message, "hello");
    EXPECT_EQ(shown.caption, wxTheApp->GetAppName());
    EXPECT_TRUE(shown.style & wxICON_ERROR);
}

TEST_F(AfxMessageBoxTest, YesNoAnswersComeBackAsIdYesAndIdNo)
{
    ShownMessageBox shown;
    int yes = 0;
    int no = 0;
    wxTEST_DIALOG(yes = AfxMessageBox(nullptr, "quit?", "caption", MB_YESNO | MB_ICONQUESTION),
                  ExpectMessageBox(shown, wxID_YES));
    wxTEST_DIALOG(no = AfxMessageBox(nullptr, "quit?", "caption", MB_YESNO | MB_ICONQUESTION),
                  ExpectMessageBox(shown, wxID_NO));
    EXPECT_EQ(yes, IDYES);
    EXPECT_EQ(no, IDNO);
    EXPECT_EQ(shown.caption, "caption");
    EXPECT_EQ(shown.count, 2);
}

}  // namespace
