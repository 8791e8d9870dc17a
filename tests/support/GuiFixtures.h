#pragma once

// Shared helpers of the GUI tests: event pumping, a private profile file, a window that
// records the program's posted messages, and message boxes answered by wxTEST_DIALOG.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>

#include "app/AppMessageEvent.h"
#include "app/res/StringTable.h"
#include "support/TempDir.h"

class wxTextCtrl;

// Runs pending wx events (queued events, GTK events, idle) until nothing is left.
void PumpEvents();

// Acts as the user would on control id below root: the control changes and its
// notification is sent (button click, drop-list choice, radio click, check-box toggle).
void ClickButton(wxWindow* root, int id);
void ChooseItem(wxWindow* root, int id, int index);
void ClickRadio(wxWindow* root, int id);
// Types text into edit as the keyboard would, whichever window the X server focuses:
// each character reaches the control as a wxEVT_CHAR (its validator sees it first) and,
// unless a handler eats it, goes into the text at the insertion point as GTK's own
// handling of the key would put it.
void TypeText(wxTextCtrl* edit, const wxString& text);
// The text of control id below root.
wxString TextOf(wxWindow* root, int id);

// Saves what the screen shows of window (its frame included) as a PNG file.
bool SaveWindowShot(wxWindow* window, const std::string& path);

// Points the per-user profile at a fresh file in a temporary directory for the test's life.
class TempProfile
{
public:
    TempProfile();
    ~TempProfile();
    TempProfile(const TempProfile&) = delete;
    TempProfile& operator=(const TempProfile&) = delete;

    const std::string& Path() const { return m_path; }
    // The file's text ("" when it does not exist).
    std::string Contents() const;

private:
    TempDir m_dir;
    std::string m_path;
};

// A sysfs tree of its own whose ttys have a driver behind them, for the port list to read
// (ComConfigDlg::SetPortListRoots with Root() and "/dev"); removed with the object.
class TempSerialPorts
{
public:
    explicit TempSerialPorts(std::initializer_list<const char*> names = {});
    ~TempSerialPorts();
    TempSerialPorts(const TempSerialPorts&) = delete;
    TempSerialPorts& operator=(const TempSerialPorts&) = delete;

    void Add(std::initializer_list<const char*> names);
    std::string Root() const { return m_dir.Path().string(); }

private:
    TempDir m_dir{"q310-sysfs"};
};

// The longest names Linux gives serial ports, beside short ones.
inline constexpr std::initializer_list<const char*> kLongPortNames = {
    "ttyS0", "ttyUSB0", "ttyUSB10", "ttyACM10", "rfcomm10"};

// A hidden top-level window that stands as the application's main window and records
// every program message posted to it.
class MessageSink : public wxFrame
{
public:
    struct Message
    {
        wxEventType type;
        uintptr_t wParam;
        intptr_t lParam;
    };

    MessageSink();
    ~MessageSink() override;

    // The messages received so far (pump events first).
    const std::vector<Message>& Messages() const { return m_messages; }
    size_t Count(wxEventType type) const;

private:
    void OnMessage(AppMessageEvent& event);

    std::vector<Message> m_messages;
};

// What a message box showed.
struct ShownMessageBox
{
    int count = 0;
    wxString message;
    wxString caption;
    long style = 0;
};

// A wxTEST_DIALOG expectation for one message box that records what it showed and
// answers it with the given button id.
class ExpectMessageBox : public wxExpectModal<wxMessageDialog>
{
public:
    ExpectMessageBox(ShownMessageBox& shown, int answer = wxID_OK)
        : wxExpectModal<wxMessageDialog>(answer), m_shown(&shown)
    {
    }

protected:
    int OnInvoked(wxMessageDialog* dialog) const override;

private:
    ShownMessageBox* m_shown;
};

// Forces a string-table language for a test's life.
class ScopedLanguage
{
public:
    explicit ScopedLanguage(StringTable::Language language);
    ~ScopedLanguage();

private:
    StringTable::Language m_previous;
};

// Both interface languages, for tests run once in each; named "Korean" and "English".
inline const auto kBothLanguages =
    testing::Values(StringTable::Language::Korean, StringTable::Language::English);
std::string LanguageName(const testing::TestParamInfo<StringTable::Language>& info);

// Fixture with a private profile, Korean texts and a message sink as the main window.
class GuiTest : public testing::Test
{
protected:
    GuiTest();
    ~GuiTest() override;

    TempProfile m_profile;
    ScopedLanguage m_language{StringTable::Language::Korean};
    MessageSink* m_sink;
};
