#include "app/AppMessageEvent.h"

#include <wx/app.h>
#include <wx/weakref.h>
#include <wx/window.h>

wxDEFINE_EVENT(WM_APP_COMM_ERROR, AppMessageEvent);
wxDEFINE_EVENT(WM_APP_OPEN_PORT, AppMessageEvent);
wxDEFINE_EVENT(WM_APP_COMMAND_DONE, AppMessageEvent);
wxDEFINE_EVENT(WM_APP_APPLY_GENERAL, AppMessageEvent);
wxDEFINE_EVENT(WM_APP_APPLY_GPIO, AppMessageEvent);

namespace {
wxWeakRef<wxWindow> g_mainWindow;  // UI thread only
}

AppMessageEvent::AppMessageEvent(wxEventType type, uintptr_t wParam, intptr_t lParam)
    : wxEvent(0, type), m_wParam(wParam), m_lParam(lParam)
{
}

void PostAppMessage(wxEvtHandler* target, wxEventType type, uintptr_t wParam, intptr_t lParam)
{
    if (target)
        wxQueueEvent(target, new AppMessageEvent(type, wParam, lParam));
}

wxWindow* GetAppMainWindow()
{
    if (g_mainWindow)
        return g_mainWindow.get();
    return wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
}

void SetAppMainWindow(wxWindow* window)
{
    g_mainWindow = window;
}
