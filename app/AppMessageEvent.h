#pragma once

// The program's own window messages as wx events: each carries the two message
// parameters and is queued (thread-safe) to the window that handles it.

#include <cstdint>

#include <wx/event.h>

class wxWindow;

// One posted window message.
class AppMessageEvent : public wxEvent
{
public:
    explicit AppMessageEvent(wxEventType type = wxEVT_NULL, uintptr_t wParam = 0,
                             intptr_t lParam = 0);

    uintptr_t GetWParam() const { return m_wParam; }
    intptr_t GetLParam() const { return m_lParam; }

    wxEvent* Clone() const override { return new AppMessageEvent(*this); }

private:
    uintptr_t m_wParam;
    intptr_t m_lParam;
};

// A port error seen on an I/O thread; wParam the error value.
wxDECLARE_EVENT(WM_APP_COMM_ERROR, AppMessageEvent);
// Open the port with the COM settings dialog's result.
wxDECLARE_EVENT(WM_APP_OPEN_PORT, AppMessageEvent);
// A worker command ended; wParam the WorkerCommand, lParam the result.
wxDECLARE_EVENT(WM_APP_COMMAND_DONE, AppMessageEvent);
// The general page has written its record; apply it to the modem.
wxDECLARE_EVENT(WM_APP_APPLY_GENERAL, AppMessageEvent);
// The GPIO page has written its record; apply it to the modem.
wxDECLARE_EVENT(WM_APP_APPLY_GPIO, AppMessageEvent);

typedef void (wxEvtHandler::*AppMessageEventFunction)(AppMessageEvent&);
#define AppMessageEventHandler(func) wxEVENT_HANDLER_CAST(AppMessageEventFunction, func)
// Event-table entry for one of the messages above.
#define EVT_APP_MESSAGE(type, func) wx__DECLARE_EVT0(type, AppMessageEventHandler(func))

// Queues a message to target; callable from any thread. Does nothing without a target.
void PostAppMessage(wxEvtHandler* target, wxEventType type, uintptr_t wParam = 0,
                    intptr_t lParam = 0);

// The application's main window, to which the pages post their messages: the window
// last given to SetAppMainWindow while it lives, else the application's top window.
// UI thread only.
wxWindow* GetAppMainWindow();
// Makes window the main window (nullptr: back to the application's top window).
void SetAppMainWindow(wxWindow* window);
