#include "app/DialogTemplate.h"

#include <algorithm>
#include <string>
#include <tuple>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/panel.h>
#include <wx/notebook.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/CAboutDlg.h"
#include "app/CLumvexQ310DConfiguratorDlg.h"
#include "app/ComConfigDlg.h"
#include "app/FillComboBox.h"
#include "app/GtkFunction.h"
#include "app/res/ResourceIds.h"
#include "support/GuiFixtures.h"
#include "support/GuiLocaleChild.h"

namespace {

class DialogTemplateTest : public GuiTest
{
protected:
    DialogTemplateTest() : m_frame(new wxFrame(nullptr, wxID_ANY, "host")) {}
    ~DialogTemplateTest() override { m_frame->Destroy(); }

    wxPanel* Build(int id)
    {
        const DialogTemplate* tmpl = FindDialogTemplate(id);
        EXPECT_NE(tmpl, nullptr);
        auto* panel = new wxPanel(m_frame);
        if (tmpl)
            m_base = BuildDialogTemplate(panel, *tmpl);
        return panel;
    }

    wxFrame* m_frame;
    wxSize m_base;
};

TEST(DialogUnits, ConvertLikeWindowsDialogUnitsRoundingToNearest)
{
    const wxRect r = DialogUnitsToPixels(wxRect(8, 16, 50, 14), wxSize(6, 13));
    EXPECT_EQ(r, wxRect(12, 26, 75, 23));
}

TEST_F(DialogTemplateTest, TemplatesAreFoundById)
{
    EXPECT_EQ(FindDialogTemplate(IDD_COM_CONFIG), &kDialogTemplate137);
    EXPECT_EQ(FindDialogTemplate(IDD_GENERAL_INFO), &kDialogTemplate107);
    EXPECT_EQ(FindDialogTemplate(IDD_GPIO_CONFIG), &kDialogTemplate103);
    EXPECT_EQ(FindDialogTemplate(4711), nullptr);
}

TEST_F(DialogTemplateTest, ControlsAreCreatedInTabOrderWithTheirIdsKindsAndPlaces)
{
    wxPanel* panel = Build(IDD_COM_CONFIG);
    const wxWindowList& children = panel->GetChildren();
    ASSERT_EQ(children.size(), kDialogTemplate137.controls.size());
    size_t i = 0;
    for (wxWindow* child : children)
    {
        // Controls nobody addresses get wx's own (negative) ids.
        const int id = kDialogTemplate137.controls[i++].id;
        if (id == IDC_STATIC)
            EXPECT_LT(child->GetId(), 0);
        else
            EXPECT_EQ(child->GetId(), id);
    }
    auto* ok = wxDynamicCast(panel->FindWindow(IDOK), wxButton);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->GetLabel(), wxString(L"확인"));
    EXPECT_EQ(ok->GetPosition(), DialogUnitsToPixels(wxRect(97, 63, 50, 14), m_base).GetPosition());
    EXPECT_NE(wxDynamicCast(panel->FindWindow(IDC_COMBO_PORT), wxChoice), nullptr);
    EXPECT_TRUE(panel->FindWindow(IDC_COMBO_PORT)->HasFlag(wxCB_SORT));
    EXPECT_FALSE(panel->FindWindow(IDC_COMBO_BAUDRATE)->HasFlag(wxCB_SORT));
    EXPECT_EQ(panel->GetClientSize(), DialogUnitsToPixels(wxRect(0, 0, 309, 86), m_base).GetSize());
}

TEST_F(DialogTemplateTest, HiddenDisabledAndRadioGroupsFollowTheTemplate)
{
    wxPanel* panel = Build(IDD_GENERAL_INFO);
    wxWindow* check = panel->FindWindow(IDC_CHECK_OUTDOOR_FIXED);
    ASSERT_NE(check, nullptr);
    EXPECT_FALSE(check->IsShown());
    EXPECT_FALSE(check->IsEnabled());
    for (int id : {IDC_RADIO_MASTER, IDC_RADIO_AT_COMMAND, IDC_RADIO_P2P, IDC_RADIO_RESPONSE_ON})
        EXPECT_TRUE(panel->FindWindow(id)->HasFlag(wxRB_GROUP)) << id;
    auto* slave = wxDynamicCast(panel->FindWindow(IDC_RADIO_SLAVE), wxRadioButton);
    auto* bypass = wxDynamicCast(panel->FindWindow(IDC_RADIO_BYPASS), wxRadioButton);
    slave->SetValue(true);
    bypass->SetValue(true);
    // Each group keeps its own choice.
    EXPECT_TRUE(slave->GetValue());
    EXPECT_FALSE(wxDynamicCast(panel->FindWindow(IDC_RADIO_MASTER), wxRadioButton)->GetValue());
    EXPECT_FALSE(wxDynamicCast(panel->FindWindow(IDC_RADIO_AT_COMMAND), wxRadioButton)->GetValue());
}

TEST_F(DialogTemplateTest, RadioButtonsAndCheckBoxesAreNeverSmallerThanTheyNeed)
{
    // Smaller than its indicator and label, GTK cannot lay a radio button out at all.
    for (int id : {IDD_GENERAL_INFO, IDD_GPIO_CONFIG})
    {
        wxPanel* panel = Build(id);
        for (wxWindow* child : panel->GetChildren())
        {
            if (!wxDynamicCast(child, wxRadioButton) && !wxDynamicCast(child, wxCheckBox))
                continue;
            const wxSize best = child->GetBestSize();
            EXPECT_GE(child->GetSize().x, best.x) << child->GetLabel();
            EXPECT_GE(child->GetSize().y, best.y) << child->GetLabel();
        }
    }
}

TEST_F(DialogTemplateTest, ADropListTooNarrowForItsWidestItemIsStyledNarrowerBeforeItGrowsOrMakesRoom)
{
    wxPanel* panel = Build(IDD_GENERAL_INFO);
    auto* baud = wxDynamicCast(panel->FindWindow(IDC_COMBO_UART_BAUDRATE), wxChoice);
    auto* parity = wxDynamicCast(panel->FindWindow(IDC_COMBO_UART_PARITY), wxChoice);
    const wxRect templateRect = baud->GetRect();
    FillComboBox(baud, kBaudrateRows, 921600);  // "921600" needs more than GTK's usual padding leaves
    EXPECT_TRUE(IsNarrowDropList(baud));
    EXPECT_EQ(baud->GetRect(), templateRect);
    const ComboRow shortRows[] = {{L"1", 1}};
    FillComboBox(parity, shortRows, 1);  // fits as it is, whatever the fonts
    EXPECT_FALSE(IsNarrowDropList(parity));

    // Far too long for the room beside it: the lists to its right move, and the group box
    // around the row and the page widen to hold them.
    auto* stopBits = panel->FindWindow(IDC_COMBO_UART_STOPBIT);
    auto* dataBits = panel->FindWindow(IDC_COMBO_UART_DATABIT);
    const wxStaticBox* box = nullptr;
    for (wxWindow* child : panel->GetChildren())
    {
        if (wxDynamicCast(child, wxStaticBox) && child->GetRect().Contains(dataBits->GetRect()))
            box = wxDynamicCast(child, wxStaticBox);
    }
    ASSERT_NE(box, nullptr);
    const int pageWidth = panel->GetClientSize().x;
    const ComboRow longRows[] = {{L"an item far wider than the whole row of lists", 1}};
    FillComboBox(parity, longRows, 1);
    EXPECT_GE(parity->GetSize().x, parity->GetTextExtent(longRows[0].text).x);
    EXPECT_EQ(baud->GetRect(), templateRect);
    EXPECT_GT(stopBits->GetPosition().x, parity->GetRect().GetRight());
    EXPECT_GT(dataBits->GetPosition().x, stopBits->GetRect().GetRight());
    EXPECT_GT(box->GetRect().GetRight(), dataBits->GetRect().GetRight());
    EXPECT_GT(panel->GetClientSize().x, std::max(pageWidth - 1, box->GetRect().GetRight()));
}

// The size GTK wants for a control's content, free of the size wx set on it.
wxSize NaturalSize(wxWindow* control)
{
    using Get = void (*)(void*, int*, int*);
    using Set = void (*)(void*, int, int);
    static const auto getRequest = GtkFunction<Get>("gtk_widget_get_size_request");
    static const auto setRequest = GtkFunction<Set>("gtk_widget_set_size_request");
    static const auto width = GtkFunction<Get>("gtk_widget_get_preferred_width");
    static const auto height = GtkFunction<Get>("gtk_widget_get_preferred_height");
    void* widget = control->GetHandle();
    int requestedX = -1, requestedY = -1, minimum = 0;
    wxSize natural;
    getRequest(widget, &requestedX, &requestedY);
    setRequest(widget, -1, -1);
    width(widget, &minimum, &natural.x);
    height(widget, &minimum, &natural.y);
    setRequest(widget, requestedX, requestedY);
    return natural;
}

// Every window of the program in which texts must show whole.
enum class ShownWindow { ComSettings, MainDialog, AboutBox };

// The environment a user starts the program in: the locale, whose fonts the start-up takes
// (under ko_KR.UTF-8 even Latin text is drawn in a Korean font), and LANGUAGE, with the
// interface language the program picks from them.
struct UserEnvironment
{
    const char* name;
    const char* lang;
    const char* language;  // LANGUAGE, nullptr for none
    StringTable::Language expected;
};

// Each case runs in a child started in the environment a user has.
class TextsShowWhole : public GuiTest,
                       public testing::WithParamInterface<std::tuple<ShownWindow, UserEnvironment>>
{
protected:
    ~TextsShowWhole() override
    {
        if (m_window)
            m_window->Destroy();
        PumpEvents();
    }

    // Opens the window as the program shows it.
    void Open()
    {
        switch (std::get<0>(GetParam()))
        {
        case ShownWindow::ComSettings:
        {
            auto* dlg = new ComConfigDlg;
            dlg->SetPortListRoots(m_ports.Root(), "/dev");
            ASSERT_TRUE(dlg->CreateFromTemplate());
            dlg->OnInitDialog();
            m_window = dlg;
            break;
        }
        case ShownWindow::MainDialog:
        {
            auto* dlg = new CLumvexQ310DConfiguratorDlg;
            m_window = dlg;
            wxTEST_DIALOG({ dlg->Show(); PumpEvents(); },
                          wxExpectDismissableModal<ComConfigDlg>(wxID_CANCEL));
            InfoData longest{};
            longest.state = 1;  // "INACTIVE, 설정 모드"
            dlg->m_statusText->SetLabel(CLumvexQ310DConfiguratorDlg::FormatStateText(longest));
            break;
        }
        case ShownWindow::AboutBox:
            m_window = new CAboutDlg;
            break;
        }
        m_window->Show();
        PumpEvents();
    }

    // Every control below window, pages included (other top-level windows are not).
    static void Collect(wxWindow* window, std::vector<wxWindow*>& controls)
    {
        for (wxWindow* child : window->GetChildren())
        {
            if (child->IsTopLevel())
                continue;
            controls.push_back(child);
            Collect(child, controls);
        }
    }

    // A control with text shows it whole; a drop list its selected item.
    static void ExpectWhole(wxWindow* window)
    {
        auto* control = wxDynamicCast(window, wxControl);
        if (!control || wxDynamicCast(control, wxStaticBox) || wxDynamicCast(control, wxTextCtrl) ||
            wxDynamicCast(control, wxNotebook))
            return;
        wxString text = control->GetLabelText();
        wxSize needed = NaturalSize(control);
        if (auto* choice = wxDynamicCast(control, wxChoice))
        {
            text = choice->GetStringSelection();
            needed.y = 0;  // the closed list takes its natural height
        }
        const wxSize size = control->GetSize();
        EXPECT_TRUE(needed.x <= size.x && needed.y <= size.y)
            << "control " << control->GetId() << " \"" << text.utf8_str().data() << "\" needs "
            << needed.x << " x " << needed.y << ", has " << size.x << " x " << size.y;
    }

    TempSerialPorts m_ports{kLongPortNames};
    wxWindow* m_window = nullptr;
};

TEST_P(TextsShowWhole, EveryTextAndEveryItemOfEveryListShowsWholeWithoutCoveringItsNeighbours)
{
    const UserEnvironment& user = std::get<1>(GetParam());
    if (!InChildStartedIn(user.lang, user.language))
        return;
    // The language the program picks at start-up, not the fixture's.
    ScopedLanguage language(StringTable::DetectLanguage());
    ASSERT_EQ(StringTable::GetLanguage(), user.expected);
    Open();
    std::vector<wxWindow*> controls;
    Collect(m_window, controls);
    for (wxWindow* control : controls)
        ExpectWhole(control);
    // Each item of each list, chosen as a user would (which refills dependent lists).
    for (wxWindow* control : controls)
    {
        auto* choice = wxDynamicCast(control, wxChoice);
        for (unsigned i = 0; choice && i < choice->GetCount(); ++i)
        {
            ChooseItem(choice->GetParent(), choice->GetId(), static_cast<int>(i));
            for (wxWindow* other : controls)
            {
                if (wxDynamicCast(other, wxChoice))
                    ExpectWhole(other);
            }
        }
    }
    // Lists that stand in one column of their template still do: one left edge, one width.
    const auto listWithId = [&](int id, const wxWindow* parent) -> wxWindow* {
        for (wxWindow* control : controls)
        {
            if (control->GetId() == id && wxDynamicCast(control, wxChoice) && (!parent || control->GetParent() == parent))
                return control;
        }
        return nullptr;
    };
    for (const DialogTemplate* t : {&kDialogTemplate103, &kDialogTemplate107, &kDialogTemplate137})
    {
        for (const DialogControl& a : t->controls)
        {
            for (const DialogControl& b : t->controls)
            {
                const bool column = &a < &b && a.kind == ControlKind::DropList && b.kind == a.kind &&
                                    a.x == b.x && a.cx == b.cx;
                wxWindow* first = column ? listWithId(a.id, nullptr) : nullptr;
                wxWindow* second = first ? listWithId(b.id, first->GetParent()) : nullptr;
                if (first && second)
                {
                    EXPECT_TRUE(first->GetRect().x == second->GetRect().x &&
                                first->GetRect().width == second->GetRect().width)
                        << a.id << " and " << b.id;
                }
            }
        }
    }
    // Grown controls stay clear of each other.
    for (wxWindow* a : controls)
    {
        for (wxWindow* b : controls)
        {
            const bool boxes = wxDynamicCast(a, wxStaticBox) || wxDynamicCast(b, wxStaticBox);
            if (a < b && a->GetParent() == b->GetParent() && !boxes && a->IsShown() && b->IsShown())
            {
                EXPECT_FALSE(a->GetRect().Intersects(b->GetRect()))
                    << a->GetId() << " and " << b->GetId();
            }
        }
    }
}

std::string WindowAndEnvironment(const testing::TestParamInfo<TextsShowWhole::ParamType>& info)
{
    const ShownWindow window = std::get<0>(info.param);
    const std::string name = window == ShownWindow::ComSettings ? "ComSettings"
                             : window == ShownWindow::MainDialog ? "MainDialog"
                                                                 : "AboutBox";
    return name + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(
    Windows, TextsShowWhole,
    testing::Combine(
        testing::Values(ShownWindow::ComSettings, ShownWindow::MainDialog, ShownWindow::AboutBox),
        testing::Values(UserEnvironment{"KoreanInKorean", "ko_KR.UTF-8", nullptr, StringTable::Language::Korean},
                        UserEnvironment{"EnglishInKorean", "ko_KR.UTF-8", "en", StringTable::Language::English},
                        UserEnvironment{"EnglishInC", "C.UTF-8", nullptr, StringTable::Language::English},
                        UserEnvironment{"KoreanInC", "C.UTF-8", "ko", StringTable::Language::Korean})),
    WindowAndEnvironment);

TEST_F(DialogTemplateTest, ADigitsOnlyEditRefusesOtherCharacters)
{
    wxPanel* panel = Build(IDD_GENERAL_INFO);
    auto* edit = wxDynamicCast(panel->FindWindow(IDC_EDIT_GROUP_ID), wxTextCtrl);
    ASSERT_NE(edit, nullptr);
    TypeText(edit, "12a3-4 5");
    EXPECT_EQ(edit->GetValue(), "12345");
}

}  // namespace
