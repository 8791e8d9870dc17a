#pragma once

#include <string>

// Narrows a wide string to the user's locale encoding (the current LC_CTYPE; UTF-8 in
// practice). A character the encoding cannot represent becomes "?"; an empty input gives
// an empty output. Used for text that only has to be close enough, like a port name.
void WideToAnsi(const std::wstring& in, std::string& out);

// The same conversion where a substituted "?" would silently name another thing, such as a
// file path in the locale's encoding (see WideToFileName): fails (false, out empty) when a
// character cannot be represented or the text holds a NUL, which no path can contain.
bool WideToAnsiStrict(const std::wstring& in, std::string& out);

// Widens text in the user's locale encoding (a port name, the modem's version, a system
// error text), up to its first NUL. A byte that is no character there becomes U+FFFD
// rather than costing the whole text.
std::wstring AnsiToWide(const std::string& in);
