#pragma once

// The wait cursor, counted: each Begin needs one End; End never goes below zero.
// UI thread only (a worker asks the UI thread through an event or CallAfter).
class WaitCursor
{
public:
    // Shows the wait cursor over every window and counts one more request.
    static void Begin();
    // Counts one request less; the normal cursor returns when none is left.
    static void End();
    // Shows the wait cursor again while requests are counted (after something reset it).
    static void Restore();
    // The number of outstanding requests.
    static int Count();
};
