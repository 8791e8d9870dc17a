#include "app/WaitCursor.h"

#include <wx/debug.h>
#include <wx/thread.h>
#include <wx/utils.h>

namespace {
int g_count = 0;  // touched on the UI thread only
}

void WaitCursor::Begin()
{
    wxASSERT(wxIsMainThread());
    ++g_count;
    wxBeginBusyCursor();
}

void WaitCursor::End()
{
    wxASSERT(wxIsMainThread());
    if (g_count == 0)
        return;
    --g_count;
    wxEndBusyCursor();
}

void WaitCursor::Restore()
{
    wxASSERT(wxIsMainThread());
    if (g_count == 0)
        return;
    // wx applies the cursor only when its own count leaves zero, so unwind and rewind it;
    // this also reaches windows created since the cursor was set.
    for (int i = 0; i < g_count; ++i)
        wxEndBusyCursor();
    for (int i = 0; i < g_count; ++i)
        wxBeginBusyCursor();
}

int WaitCursor::Count()
{
    return g_count;
}
