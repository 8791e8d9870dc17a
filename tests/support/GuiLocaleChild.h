#pragma once

// Runs the running test alone in a child copy of the test program whose environment names
// only lang as its locale (no other LC_* variable, no LANGUAGE), so that the child's
// start-up takes that locale as the program's does, fonts included. Returns the child's
// exit status (-1 when it did not exit).
int RunInLocaleChild(const char* lang);

// Whether this is such a child.
bool InLocaleChild();
