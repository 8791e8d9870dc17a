#pragma once

// For a test that must run as the program runs for a user in a locale, fonts included.
// Called first thing in the test: in the test program it runs the test again, alone, in a
// child copy of the program whose environment names only lang as its locale (LANG; no
// LC_* variable) and, where given, language as LANGUAGE; it expects that run to pass and
// returns false. In the child it checks that the start-up took lang and returns true when
// it did.
bool InChildStartedIn(const char* lang, const char* language = nullptr);
