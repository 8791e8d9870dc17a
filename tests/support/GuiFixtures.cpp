#include "support/GuiFixtures.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/evtloop.h>
#include <wx/utils.h>

#include "app/AppProfile.h"

void PumpEvents()
{
    for (int i = 0; i < 5; ++i)
    {
        wxTheApp->ProcessPendingEvents();
        wxYield();
        wxTheApp->ProcessIdle();
    }
}

namespace {

wxWindow* Find(wxWindow* root, int id)
{
    wxWindow* control = root->FindWindow(id);
    EXPECT_NE(control, nullptr) << "no control " << id;
    return control;
}

void Notify(wxWindow* control, wxEventType type, int value)
{
    wxCommandEvent event(type, control->GetId());
    event.SetEventObject(control);
    event.SetInt(value);
    control->ProcessWindowEvent(event);
}

}  // namespace

void ClickButton(wxWindow* root, int id)
{
    if (wxWindow* button = Find(root, id))
        Notify(button, wxEVT_BUTTON, 0);
}

void ChooseItem(wxWindow* root, int id, int index)
{
    auto* choice = wxDynamicCast(Find(root, id), wxChoice);
    ASSERT_NE(choice, nullptr);
    choice->SetSelection(index);
    Notify(choice, wxEVT_CHOICE, index);
}

void ClickRadio(wxWindow* root, int id)
{
    auto* radio = wxDynamicCast(Find(root, id), wxRadioButton);
    ASSERT_NE(radio, nullptr);
    radio->SetValue(true);
    Notify(radio, wxEVT_RADIOBUTTON, 1);
}

void TypeText(wxTextCtrl* edit, const wxString& text)
{
    for (const wxUniChar c : text)
    {
        wxKeyEvent key(wxEVT_CHAR);
        key.m_keyCode = c.IsAscii() ? static_cast<int>(c.GetValue()) : WXK_NONE;
        key.m_uniChar = c;
        key.SetId(edit->GetId());
        key.SetEventObject(edit);
        if (!edit->ProcessWindowEvent(key))
            edit->WriteText(wxString(c));
    }
}

wxString TextOf(wxWindow* root, int id)
{
    wxWindow* control = Find(root, id);
    if (!control)
        return wxString();
    if (auto* choice = wxDynamicCast(control, wxChoice))
        return choice->GetStringSelection();
    if (auto* text = wxDynamicCast(control, wxTextCtrl))
        return text->GetValue();
    return control->GetLabel();
}

bool SaveWindowShot(wxWindow* window, const std::string& path)
{
    // Give the X server time to map and paint the window (there is no window manager).
    for (int i = 0; i < 40; ++i)
    {
        window->Refresh();
        window->Update();
        PumpEvents();
        wxMilliSleep(15);
    }
    // ImageMagick reads the screen as the server holds it (wxScreenDC may lag behind).
    const wxRect r = window->GetScreenRect();
    const std::string command = "import -window root -crop " + std::to_string(r.width) + "x" +
                                std::to_string(r.height) + "+" + std::to_string(r.x) + "+" +
                                std::to_string(r.y) + " +repage '" + path + "'";
    return std::system(command.c_str()) == 0;
}

TempProfile::TempProfile() : m_dir("q310-profile"), m_path((m_dir / "profile.conf").string())
{
    AppProfile::UseFile(wxString::FromUTF8(m_path));
}

TempProfile::~TempProfile()
{
    AppProfile::UseFile(wxString());
}

std::string TempProfile::Contents() const
{
    std::ifstream in(m_path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TempSerialPorts::TempSerialPorts(std::initializer_list<const char*> names)
{
    std::filesystem::create_directories(m_dir / "class" / "tty");
    Add(names);
}

TempSerialPorts::~TempSerialPorts() = default;

void TempSerialPorts::Add(std::initializer_list<const char*> names)
{
    for (const char* name : names)
        std::filesystem::create_directories(m_dir / "class" / "tty" / name / "device");
}

MessageSink::MessageSink() : wxFrame(nullptr, wxID_ANY, "sink")
{
    for (const auto& type : {WM_APP_COMM_ERROR, WM_APP_OPEN_PORT, WM_APP_COMMAND_DONE,
                             WM_APP_APPLY_GENERAL, WM_APP_APPLY_GPIO})
        Bind(type, &MessageSink::OnMessage, this);
    SetAppMainWindow(this);
}

MessageSink::~MessageSink() = default;  // the main-window reference is weak

void MessageSink::OnMessage(AppMessageEvent& event)
{
    m_messages.push_back({event.GetEventType(), event.GetWParam(), event.GetLParam()});
}

size_t MessageSink::Count(wxEventType type) const
{
    size_t n = 0;
    for (const Message& m : m_messages)
        n += m.type == type;
    return n;
}

int ExpectMessageBox::OnInvoked(wxMessageDialog* dialog) const
{
    ++m_shown->count;
    m_shown->message = dialog->GetMessage();
    m_shown->caption = dialog->GetCaption();
    m_shown->style = dialog->GetMessageDialogStyle();
    return wxExpectModal<wxMessageDialog>::OnInvoked(dialog);
}

ScopedLanguage::ScopedLanguage(StringTable::Language language)
    : m_previous(StringTable::GetLanguage())
{
    StringTable::SetLanguage(language);
}

ScopedLanguage::~ScopedLanguage()
{
    StringTable::SetLanguage(m_previous);
}

std::string LanguageName(const testing::TestParamInfo<StringTable::Language>& info)
{
    return info.param == StringTable::Language::Korean ? "Korean" : "English";
}

GuiTest::GuiTest() : m_sink(new MessageSink)
{
}

GuiTest::~GuiTest()
{
    m_sink->Destroy();
    PumpEvents();
}
