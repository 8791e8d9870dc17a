#pragma once

#include <string>

// Writes text as the whole content of the file at path, as writing it directly would (the
// file created where there is none, a symbolic link followed and kept), but through a
// temporary file beside it that replaces it only once complete and on disk, so a failure
// leaves an existing file as it was. Where that rename would lose what writing in place
// keeps (a folder the user may not write, another user's file or group, a file with several
// links, a dangling link), the file is written in place instead.
// 0 success; -1 path names no regular file, the file is write-protected for the user, or it
// can be neither replaced nor opened for writing; -2 a write, cutting the file to length,
// the flush to disk or the close failed (written in place, the file may then hold part of
// the text).
int ReplaceFile(const std::string& path, const std::string& text);
