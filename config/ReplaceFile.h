#pragma once

#include <string>

// Writes text as the whole content of the file at path, reaching no further than writing it
// directly would: the file is first opened for writing as such a write opens it (created
// where there is none, a symbolic link followed), and what that open refuses is refused.
// The text then goes to a temporary file beside the file, which replaces it once complete
// and on disk, so a failure leaves an existing file as it was; a link stays a link. Where
// the rename would lose what writing in place keeps (extended attributes such as an ACL,
// other names, an owner, group or mode the user cannot give, a folder the user may not
// write) or cannot replace the name (a file mounted on it), the file is written in place
// instead.
// 0 success; -1 path names no regular file (a device or a FIFO is not even opened) or
// cannot be opened for writing; -2 a write, cutting the file to length, the flush to disk
// or the close failed (written in place, the file may then hold part of the text; a file
// the open created stays).
int ReplaceFile(const std::string& path, const std::string& text);
