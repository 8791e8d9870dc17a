#pragma once

#include <string>

// Narrows a path to the encoding the system's file names are in, as GLib (and so the GTK
// file chooser that produced the path) takes it: UTF-8, unless the first entry of
// G_FILENAME_ENCODING names another character set ("@locale": the locale's encoding) or
// G_BROKEN_FILENAMES is set (the locale's encoding). Exactly or not at all: fails (false,
// out empty) when a character cannot be represented, the character set is unknown, or the
// path holds a NUL, since a substitute character would name some other file.
bool WideToFileName(const std::wstring& in, std::string& out);
